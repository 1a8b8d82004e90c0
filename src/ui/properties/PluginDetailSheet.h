#pragma once
// The property sheet "Plugin Details": one plug-in's pages in a tab widget
// with OK and Cancel. A Filter Factory filter gets the live
// preview, " Author/Description ", " Filter Factory Code " (unless the filter
// hides its formulas) and " General Properties "; any other plug-in the
// preview images and " General Properties ". The sheet keeps its own copy
// of the filter's parameter block; its pages change only that copy.

#include "app/PluginDetails.h"
#include "filterfactory/ParameterBlock.h"

#include <QDialog>

#include <vector>

class QTabWidget;

namespace vardel {
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class PluginPropPage;

class PluginDetailSheet : public QDialog {
    Q_OBJECT
public:
    enum StartPage { First, General };

    // Builds the pages for entry with block as the sheet's copy of its
    // parameter block (any block for a plug-in that is not a filter).
    PluginDetailSheet(vardel::CVardelSession& session, const vardel::CPluginEntry& entry,
                      const vardel::CParameterBlock& block, QWidget* parent = nullptr);
    ~PluginDetailSheet() override;

    // Reads the block when the plug-in is a Filter Factory filter and opens
    // the sheet, modal to parent's window, on the first page or on
    // " General Properties "; it deletes itself when closed. Null, with
    // nothing shown, when the block cannot be read.
    static PluginDetailSheet* openFor(vardel::CVardelSession& session, const vardel::CPluginEntry& entry,
                                      StartPage page, QWidget* parent);

    // Shows the first page or " General Properties ".
    void setStartPage(StartPage page);

    QTabWidget* tabs() const { return m_tabs; }
    vardel::CParameterBlock& block() { return m_block; }
    const vardel::CPluginEntry& entry() const { return m_entry; }

    // OK: every page stores its changes, then the sheet closes.
    void accept() override;

private:
    // The tab's title of a page.
    static QString pageTitle(vardel::DetailPage kind);

    vardel::CVardelSession& m_session;
    const vardel::CPluginEntry& m_entry;
    vardel::CParameterBlock m_block;
    QTabWidget* m_tabs = nullptr;
    std::vector<PluginPropPage*> m_pages;
    int m_generalIndex = 0;
};

}  // namespace vardel::ui
