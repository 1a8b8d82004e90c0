#include "modify/CategoryDialog.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <unordered_set>

namespace vardel {

namespace {

// A sorted list box orders without regard to case; equal texts of another
// case keep a fixed order by their bytes.
bool ListBoxLess(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) { return std::tolower(c); };
    auto ia = a.begin(), ib = b.begin();
    for (; ia != a.end() && ib != b.end(); ++ia, ++ib) {
        int ca = lower(static_cast<unsigned char>(*ia)), cb = lower(static_cast<unsigned char>(*ib));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

}  // namespace

CCategoryDialog::CCategoryDialog(const CPluginListManager& catalogue, std::vector<CPluginEntry*> entries)
    : CCategoryDialog(catalogue, entries, CategoryLimit(entries))
{}

CCategoryDialog::CCategoryDialog(const CPluginListManager& catalogue, std::vector<CPluginEntry*> entries, int limit)
    : m_entries(std::move(entries))
    , m_limit(limit)
{
    if (m_entries.empty())
        return;
    const int kind = m_entries.front()->m_kind;
    std::string last = "*";
    std::unordered_set<std::string> taken;
    for (const auto& e : catalogue.m_entries) {
        if (e->m_kind != kind || e->m_category == last)
            continue;
        last = e->m_category;
        const auto length = last.size();
        // Categories equal but for case sort apart, so one may come back;
        // the list shows each text once.
        if (length >= 1 && length <= static_cast<std::size_t>(std::max(m_limit, 0)) && taken.insert(last).second)
            m_proposals.push_back(last);
    }
    std::sort(m_proposals.begin(), m_proposals.end(), ListBoxLess);
}

std::string CCategoryDialog::LimitText() const
{
    char text[64];
    std::snprintf(text, sizeof text, "Up to %d characters allowed", m_limit);
    return text;
}

void CCategoryDialog::SetText(const std::string& text)
{
    m_text = text.substr(0, static_cast<std::size_t>(std::max(m_limit, 0)));
}

bool CCategoryDialog::SelectProposal(std::size_t index)
{
    if (index >= m_proposals.size())
        return false;
    m_text = m_proposals[index];
    return true;
}

bool CCategoryDialog::IsOkEnabled() const
{
    // Also after a proposal was taken: a proposal of one or two characters
    // would otherwise bypass the three-character minimum.
    return IsLongEnough(m_text);
}

}  // namespace vardel
