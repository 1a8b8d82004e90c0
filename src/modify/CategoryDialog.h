#pragma once
// The logic of the "Enter Category" dialog of Move, without any window: the
// limit of the new category, the proposals taken from the catalogue, the
// text being edited and when OK may be pressed.

#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;

class CCategoryDialog {
public:
    static constexpr const char* kTitle = "Enter Category";

    // The entries to move (the selected plug-ins, or all plug-ins of a
    // category) and the catalogue that supplies the proposals.
    CCategoryDialog(const CPluginListManager& catalogue, std::vector<CPluginEntry*> entries);
    // The same with the limit worked out before (CategoryLimit of the
    // entries reads their files): the catalogue alone is read here.
    CCategoryDialog(const CPluginListManager& catalogue, std::vector<CPluginEntry*> entries, int limit);

    // The longest category the writer accepts for all the entries (the
    // smallest of their limits, CategoryLimit); 255 when there are none.
    int Limit() const { return m_limit; }
    // "Up to %d characters allowed" with the limit.
    std::string LimitText() const;
    // The distinct categories of 1 to Limit() characters of the first entry's
    // kind, sorted as a sorted list box shows them.
    const std::vector<std::string>& Proposals() const { return m_proposals; }

    // The user typed: the edit box keeps at most Limit() characters.
    void SetText(const std::string& text);
    // A proposal was selected (or double-clicked): its text goes into the
    // edit box. False when the index is out of range.
    bool SelectProposal(std::size_t index);
    // The text in the edit box.
    const std::string& Text() const { return m_text; }
    // OK is enabled exactly when the text has at least 3 characters.
    bool IsOkEnabled() const;
    // The text chosen when OK is pressed; empty while OK is disabled.
    std::string Chosen() const { return IsOkEnabled() ? m_text : std::string(); }

    const std::vector<CPluginEntry*>& Entries() const { return m_entries; }

private:
    std::vector<CPluginEntry*> m_entries;
    int m_limit;
    std::vector<std::string> m_proposals;
    std::string m_text;
};

}  // namespace vardel
