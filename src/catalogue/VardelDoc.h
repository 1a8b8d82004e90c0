#pragma once
// The document: the catalogue of one configured plug-in directory at a time,
// with the plug-in class selected in the view and the class counts. The
// session fills it with catalogues that scan jobs built; the document itself
// reads no file. Window-free: observers of the session learn of changes.

#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"

#include <array>
#include <string>

namespace vardel {

class CPluginDirEntry;

class CVardelDoc {
public:
    static constexpr int kClassCountSize = 10;
    static constexpr const char* kUntitled = "Untitled";

    // The document over the session's directory list, which outlives it.
    explicit CVardelDoc(const DirectoryList& directories);

    const CPluginListManager& Catalogue() const { return m_catalogue; }
    CPluginListManager& Catalogue() { return m_catalogue; }
    // The label of the current directory; "Untitled" when there is none.
    const std::string& Title() const { return m_title; }
    // True while no directory is shown and the title is the placeholder
    // (a directory may itself be labelled "Untitled").
    bool IsUntitled() const { return m_current == nullptr; }
    // Index into the plug-in class table; -1 when none.
    int SelectedClass() const { return m_selectedClass; }
    void SetSelectedClass(int cls) { m_selectedClass = cls; }
    // Entries 0 to 6 count the entries per plug-in class; 7 to 9 stay 0.
    const std::array<int, kClassCountSize>& ClassCounts() const { return m_classCounts; }

    // The directory whose catalogue is shown, while it is still in the
    // directory list; null otherwise.
    const CPluginDirEntry* CurrentDirectory() const;
    // Its position in the directory list; -1 when there is none or it was removed.
    int CurrentIndex() const;
    bool IsCurrentInList() const { return CurrentIndex() >= 0; }
    // True when the catalogue has entries and its directory is still listed.
    bool IsCatalogueShown() const;

    // Shows the catalogue (taken over; the given one gets the catalogue
    // shown before, for its owner to dispose of) as the one of directory,
    // which must be in the list: the title becomes its label, the classes
    // are counted and a class with plug-ins is chosen, the stored
    // selectedClass when it has any.
    void Show(const CPluginDirEntry& directory, CPluginListManager& catalogue, int selectedClass);
    // The state without a directory: empty catalogue, "Untitled", class -1, counts 0.
    void ShowNothing();

    // Sorts the entries by sort key (Shell sort, gaps 1, 4, 13, 40, ...).
    void Sort();
    // Counts the entries per plug-in class and picks the selected class.
    void CountClasses();

    // True when a file with this extension (".8BF", "" for none) is a scan
    // candidate under the extension list (and "Scan all").
    static bool IsCandidate(const std::string& upperExtension, const std::string& extensions, bool scanAll);
    // The extension of a file name: the text from its last "." on, in upper case.
    static std::string UpperExtension(const std::string& fileName);
    // The message for a catalogue file that cannot be opened, by errno.
    static std::string OpenErrorMessage(int error, const std::string& path);

private:
    const DirectoryList& m_directories;
    CPluginListManager m_catalogue;
    std::string m_title = kUntitled;
    int m_selectedClass = -1;
    std::array<int, kClassCountSize> m_classCounts{};
    // The current directory's record, compared by address and catalogue file
    // (never dereferenced unless it is still in the list).
    const CPluginDirEntry* m_current = nullptr;
    std::string m_currentCatalogueFile;
};

}  // namespace vardel
