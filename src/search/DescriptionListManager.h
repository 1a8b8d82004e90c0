#pragma once
// User descriptions and keywords of plug-ins, keyed by description key.

#include "base/Object.h"

#include <memory>
#include <string>
#include <vector>

namespace vardel {

class CDescriptionEntry : public CObject {
public:
    static const CRuntimeClass classCDescriptionEntry;
    static const CRuntimeClass& GetStaticClass() { return classCDescriptionEntry; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCDescriptionEntry; }
    // key, description, keywords
    void Serialize(CArchive& ar) override;

    std::string m_key;
    std::string m_description;
    std::string m_keywords;
};

class CDescriptionListManager : public CObject {
public:
    static const CRuntimeClass classCDescriptionListManager;
    static const CRuntimeClass& GetStaticClass() { return classCDescriptionListManager; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCDescriptionListManager; }
    void Serialize(CArchive& ar) override;

    // Index of the first entry with exactly this key, or -1.
    int Find(const std::string& key) const;
    // Copies both texts when found; false with the outputs untouched otherwise.
    bool Get(const std::string& key, std::string& description, std::string& keywords) const;
    // Stores the texts unless both are empty: updates the entry or appends one.
    void SetFromTexts(const std::string& key, const std::string& description, const std::string& keywords);

    std::vector<std::unique_ptr<CDescriptionEntry>> m_entries;  // append order is stored order
};

}  // namespace vardel
