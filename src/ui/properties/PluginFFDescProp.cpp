#include "ui/properties/PluginFFDescProp.h"

#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "filterfactory/ParameterBlock.h"
#include "ui/common/Convert.h"
#include "ui/properties/DescriptionFields.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vardel::ui {
namespace {

QLineEdit* field(QWidget* parent, const char* name, const std::string& text)
{
    auto* edit = new QLineEdit(fromCodePage(text), parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setCursorPosition(0);
    return edit;
}

}  // namespace

PluginFFDescProp::PluginFFDescProp(CVardelSession& session, const CPluginEntry& entry, const CParameterBlock& block,
                                   QWidget* parent)
    : PluginPropPage(parent)
    , m_session(session)
    , m_entry(entry)
{
    setObjectName(QStringLiteral("authorPage"));
    auto* form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(tr("Author:"), field(this, "authorEdit", block.GetAuthor()));
    form->addRow(tr("Copyright:"), field(this, "copyrightEdit", block.GetCopyright()));
    form->addRow(tr("Original Name:"), field(this, "originalNameEdit", block.GetTitle()));
    form->addRow(tr("Original Category:"), field(this, "originalCategoryEdit", block.GetCategory()));

    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("descriptionEdit"));
    m_keywords = new QLineEdit(this);
    m_keywords->setObjectName(QStringLiteral("keywordsEdit"));
    form->addRow(tr("Description:"), m_description);
    form->addRow(tr("Keywords:"), m_keywords);
    loadDescriptionFields(session, entry, m_description, m_keywords);
}

void PluginFFDescProp::apply()
{
    // Storing tells whoever shows the description.
    storeDescriptionFields(m_session, m_entry, m_description, m_keywords);
}

}  // namespace vardel::ui
