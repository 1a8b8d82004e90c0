#include "ui/properties/PluginGeneralProp.h"

#include "app/PluginDetails.h"
#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "ui/common/Convert.h"
#include "ui/session/UserMessages.h"
#include "pe/PeMachine.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vardel::ui {
namespace {

// The label of the mode check box with this control id.
QString modeLabel(int id)
{
    switch (id) {
    case 1061: return PluginGeneralProp::tr("Bitmap");
    case 1060: return PluginGeneralProp::tr("Grayscale");
    case 1059: return PluginGeneralProp::tr("Indexed Color");
    case 1058: return PluginGeneralProp::tr("RGB Color");
    case 1057: return PluginGeneralProp::tr("CMYK Color");
    case 1056: return PluginGeneralProp::tr("HSL Color");
    case 1055: return PluginGeneralProp::tr("HSB Color");
    case 1054: return PluginGeneralProp::tr("Multichannel");
    case 1063: return PluginGeneralProp::tr("Duotone");
    case 1062: return PluginGeneralProp::tr("LAB Color");
    case 1064: return PluginGeneralProp::tr("16 Bit Gray");
    case 1065: return PluginGeneralProp::tr("48 Bit Color");
    default: return {};
    }
}

QLineEdit* field(QWidget* parent, const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setCursorPosition(0);
    return edit;
}

// The name of a Filter Factory variant beside the resource; "" for none.
QString variantName(FilterFactoryVariant variant)
{
    switch (variant) {
    case FilterFactoryVariant::PremiereTransition:
        return QCoreApplication::translate("vardel::ui::PluginGeneralProp", "Premiere Transition Factory");
    case FilterFactoryVariant::PremiereFilter:
        return QCoreApplication::translate("vardel::ui::PluginGeneralProp", "Premiere Filter Factory");
    case FilterFactoryVariant::Photoshop:
        return QCoreApplication::translate("vardel::ui::PluginGeneralProp", "Photoshop Filter Factory");
    case FilterFactoryVariant::Compatible:
        return QCoreApplication::translate("vardel::ui::PluginGeneralProp", "Filter Factory-compatible filter");
    case FilterFactoryVariant::None: break;
    }
    return {};
}

}  // namespace

PluginGeneralProp::PluginGeneralProp(CVardelSession& session, const CPluginEntry& entry, const CParameterBlock* block,
                                     QWidget* parent)
    : PluginPropPage(parent)
{
    setObjectName(QStringLiteral("generalPage"));
    const PluginDetails details = GetPluginDetails(entry, session.Catalogue(), session.Restore(), block);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(tr("Name:"), field(this, "nameEdit", fromCodePage(details.name)));
    form->addRow(tr("Category:"), field(this, "categoryEdit", fromCodePage(details.category)));
    form->addRow(tr("Plugin Kind:"), field(this, "kindEdit", fromCodePage(details.kindLabel)));

    auto* resourceRow = new QHBoxLayout;
    resourceRow->addWidget(field(this, "resourceEdit", fromCodePage(details.resourceLabel)));
    auto* variant = new QLabel(variantName(details.variant), this);
    variant->setObjectName(QStringLiteral("factoryLabel"));
    resourceRow->addWidget(variant, 1);
    form->addRow(tr("Resource:"), resourceRow);

    form->addRow(tr("Original Name:"), field(this, "originalNameEdit", fromCodePage(details.originalName)));
    form->addRow(tr("Original Category:"), field(this, "originalCategoryEdit", fromCodePage(details.originalCategory)));
    QLineEdit* fileName = field(this, "fileNameEdit", fromStoredPath(details.path));
    fileName->setToolTip(fileName->text());
    form->addRow(tr("Filename:"), fileName);

    auto* sizeRow = new QHBoxLayout;
    QLineEdit* size = field(this, "sizeEdit", QString::fromStdString(details.sizeText));
    size->setAlignment(Qt::AlignRight);
    size->setMaximumWidth(size->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")));
    sizeRow->addWidget(size);
    sizeRow->addWidget(new QLabel(tr("Bytes"), this));
    sizeRow->addStretch(1);
    form->addRow(tr("Size:"), sizeRow);

    // Beyond the resources: what kind of module the file is, and whether a
    // signature would break when the file is changed.
    auto* fileRow = new QHBoxLayout;
    const QString noModule = details.sixteenBitModule ? tr("16-bit Windows module: not supported") : tr("not a module");
    QLineEdit* machine =
        field(this, "machineEdit", details.machine.empty() ? noModule : QString::fromStdString(details.machine));
    const int bits = MachineBits(details.machineCode);
    if (bits == 32)
        machine->setText(tr("%1 (32-bit)").arg(machine->text()));
    else if (bits == 64)
        machine->setText(tr("%1 (64-bit)").arg(machine->text()));
    fileRow->addWidget(machine, 1);
    fileRow->addWidget(new QLabel(tr("Signature:"), this));
    fileRow->addWidget(field(this, "signedEdit", details.isSigned ? tr("Signed") : tr("Not signed")), 1);
    form->addRow(tr("Machine:"), fileRow);

    auto* pluginsGroup = new QGroupBox(tr("Plugins contained in this file:"), this);
    auto* plugins = new QListWidget(pluginsGroup);
    plugins->setObjectName(QStringLiteral("pluginsList"));
    for (const std::string& line : details.pluginsInFile)
        plugins->addItem(fromCodePage(line));
    plugins->setMinimumHeight(plugins->fontMetrics().height() * 4);
    (new QVBoxLayout(pluginsGroup))->addWidget(plugins);

    auto* modesGroup = new QGroupBox(tr("Supported Modes:"), this);
    auto* modes = new QGridLayout(modesGroup);
    constexpr int kColumns = 3;
    int n = 0;
    for (const ModeBox& mode : details.modes) {
        auto* box = new QCheckBox(modeLabel(mode.id), modesGroup);
        box->setObjectName(QStringLiteral("modeBox%1").arg(mode.id));
        box->setChecked(mode.checked);
        box->setEnabled(mode.enabled);
        // Shown, not edited: the modes are the plug-in's own.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
        modes->addWidget(box, n / kColumns, n % kColumns);
        ++n;
    }

    auto* about = new QPushButton(tr("Show About Box..."), this);
    about->setObjectName(QStringLiteral("aboutBoxButton"));
    about->setEnabled(details.canShowAboutBox);
    if (!details.canShowAboutBox)
        about->setToolTip(tr("Plug-in code is never run here."));
    // A disabled button shows no tooltip in every style; say it beside it too.
    auto* aboutRow = new QHBoxLayout;
    aboutRow->addWidget(about);
    if (!details.canShowAboutBox) {
        auto* why = new QLabel(about->toolTip(), this);
        why->setObjectName(QStringLiteral("aboutBoxReason"));
        why->setWordWrap(true);
        why->setEnabled(false);
        aboutRow->addWidget(why, 1);
    } else {
        aboutRow->addStretch(1);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(pluginsGroup, 1);
    layout->addWidget(modesGroup);
    layout->addLayout(aboutRow);
}

}  // namespace vardel::ui
