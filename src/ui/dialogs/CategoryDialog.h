#pragma once
// "Enter Category": asks for the category that Move gives the plug-ins. The
// rules (limit, proposals, when OK may be pressed) are the core's
// CCategoryDialog; this is its window.

#include "modify/CategoryDialog.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace vardel {
class SettingsBackend;
}

namespace Ui {
class CategoryDialog;
}

namespace vardel::ui {

class CategoryDialog : public QDialog {
    Q_OBJECT
public:
    // The entries to move, the catalogue that supplies the proposals and
    // the limit of the new category (CategoryLimit of the entries, worked
    // out before: it reads their files).
    CategoryDialog(const CPluginListManager& catalogue, std::vector<CPluginEntry*> entries, int limit,
                   vardel::SettingsBackend& settings, QWidget* parent);
    ~CategoryDialog() override;

    // The category chosen (code page text); empty unless OK is enabled.
    std::string chosen() const { return m_logic.Chosen(); }
    const std::vector<CPluginEntry*>& entries() const { return m_logic.Entries(); }
    int limit() const { return m_logic.Limit(); }

private:
    void onTextEdited(const QString& text);
    void onProposalChosen(int row);
    void updateOk();

    std::unique_ptr<Ui::CategoryDialog> m_ui;
    CCategoryDialog m_logic;
};

}  // namespace vardel::ui
