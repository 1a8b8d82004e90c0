#pragma once
// The page " Author/Description " of a Filter Factory filter: the author,
// copyright, title and category stored in the filter (read-only) and the
// user's description and keywords, stored on OK.

#include "ui/properties/PluginPropPage.h"

class QLineEdit;
class QPlainTextEdit;

namespace vardel {
class CParameterBlock;
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class PluginFFDescProp : public PluginPropPage {
    Q_OBJECT
public:
    PluginFFDescProp(vardel::CVardelSession& session, const vardel::CPluginEntry& entry,
                     const vardel::CParameterBlock& block, QWidget* parent = nullptr);
    // Stores the two texts in the description database unless both are
    // empty, and saves it.
    void apply() override;

private:
    vardel::CVardelSession& m_session;
    const vardel::CPluginEntry& m_entry;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_keywords = nullptr;
};

}  // namespace vardel::ui
