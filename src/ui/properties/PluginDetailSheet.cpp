#include "ui/properties/PluginDetailSheet.h"

#include "app/PluginDetails.h"
#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "ui/common/Convert.h"
#include "ui/properties/PluginFFCodeProp.h"
#include "ui/properties/PluginFFDescProp.h"
#include "ui/properties/PluginFixedPreviewProp.h"
#include "ui/properties/PluginGeneralProp.h"
#include "ui/properties/PluginPreviewProp.h"
#include "ui/session/UserMessages.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <optional>

namespace vardel::ui {

QString PluginDetailSheet::pageTitle(DetailPage kind)
{
    switch (kind) {
    case DetailPage::LivePreview:
    case DetailPage::ImagePreview: return tr(" Preview ");
    case DetailPage::Author: return tr(" Author/Description ");
    case DetailPage::Code: return tr(" Filter Factory Code ");
    case DetailPage::General: break;
    }
    return tr(" General Properties ");
}

PluginDetailSheet::PluginDetailSheet(CVardelSession& session, const CPluginEntry& entry, const CParameterBlock& block,
                                     QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_entry(entry)
    , m_block(block)
{
    setObjectName(QStringLiteral("pluginDetailSheet"));
    setWindowTitle(tr("Plugin Details"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pageTabs"));

    // The pages, their order and their titles come from the core's rule.
    const bool filterFactory = IsFilterFactoryFilter(entry);
    for (const DetailPage kind : DetailPageKinds(entry, &m_block)) {
        PluginPropPage* page = nullptr;
        switch (kind) {
        case DetailPage::LivePreview: page = new PluginPreviewProp(session, entry, m_block, m_tabs); break;
        case DetailPage::ImagePreview: page = new PluginFixedPreviewProp(session, entry, m_tabs); break;
        case DetailPage::Author: page = new PluginFFDescProp(session, entry, m_block, m_tabs); break;
        case DetailPage::Code: page = new PluginFFCodeProp(m_block, m_tabs); break;
        case DetailPage::General:
            page = new PluginGeneralProp(session, entry, filterFactory ? &m_block : nullptr, m_tabs);
            m_generalIndex = m_tabs->count();
            break;
        }
        m_pages.push_back(page);
        m_tabs->addTab(page, pageTitle(kind));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("sheetButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PluginDetailSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PluginDetailSheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

PluginDetailSheet::~PluginDetailSheet() = default;

void PluginDetailSheet::setStartPage(StartPage page)
{
    m_tabs->setCurrentIndex(page == General ? m_generalIndex : 0);
}

void PluginDetailSheet::accept()
{
    for (PluginPropPage* page : m_pages)
        page->apply();
    QDialog::accept();
}

PluginDetailSheet* PluginDetailSheet::openFor(CVardelSession& session, const CPluginEntry& entry, StartPage page,
                                              QWidget* parent)
{
    const std::optional<CParameterBlock> block = ReadBlockForDetails(entry);
    if (!block)
        return nullptr;
    auto* sheet = new PluginDetailSheet(session, entry, *block, parent);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setStartPage(page);
    sheet->open();
    return sheet;
}

}  // namespace vardel::ui
