#include "ui/common/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>

namespace vardel::ui {

bool hasEqualAdvances(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal narrow = metrics.horizontalAdvance(QStringLiteral("iiii"));
    return narrow > 0 && qFuzzyCompare(narrow, metrics.horizontalAdvance(QStringLiteral("WWWW"))) &&
           qFuzzyCompare(narrow, metrics.horizontalAdvance(QStringLiteral("....")));
}

QFont formulaFont()
{
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (hasEqualAdvances(system))
        return system;
    static const char* const kFamilies[] = {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Noto Mono",
                                            "Cascadia Mono",    "Consolas",        "Courier New",    "Courier"};
    for (const char* family : kFamilies) {
        QFont font(QString::fromLatin1(family), system.pointSize());
        // Only a family that is really there; a substitute may be anything.
        if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) == 0 && hasEqualAdvances(font))
            return font;
    }
    QFont hinted = system;
    hinted.setStyleHint(QFont::TypeWriter);
    hinted.setFixedPitch(true);
    return hinted;
}

}  // namespace vardel::ui
