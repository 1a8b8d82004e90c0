#include "ui/properties/PluginFFCodeProp.h"

#include "filterfactory/ParameterBlock.h"
#include "ui/common/Convert.h"
#include "ui/common/Fonts.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

namespace vardel::ui {

PluginFFCodeProp::PluginFFCodeProp(const CParameterBlock& block, QWidget* parent)
    : PluginPropPage(parent)
{
    setObjectName(QStringLiteral("codePage"));
    static const char* const kLabels[] = {QT_TR_NOOP("R:"), QT_TR_NOOP("G:"), QT_TR_NOOP("B:"), QT_TR_NOOP("A:")};
    static const char* const kNames[] = {"redEdit", "greenEdit", "blueEdit", "alphaEdit"};
    const QFont fixed = formulaFont();
    auto* layout = new QGridLayout(this);
    for (int i = 0; i < CParameterBlock::kFormulaCount; ++i) {
        auto* label = new QLabel(tr(kLabels[i]), this);
        auto* edit = new QPlainTextEdit(this);
        edit->setObjectName(QLatin1String(kNames[i]));
        edit->setReadOnly(true);
        edit->setFont(fixed);
        // A formula of 1023 characters wraps and scrolls; nothing is cut.
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit->setPlainText(fromCodePage(block.GetFormula(i)));
        label->setBuddy(edit);
        layout->addWidget(label, i, 0, Qt::AlignTop);
        layout->addWidget(edit, i, 1);
    }
}

}  // namespace vardel::ui
