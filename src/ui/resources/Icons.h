#pragma once
// The program's images: the list state icons (our own, drawn for 16 px and
// twice that) and the command icons (the desktop's icon theme first, our own
// drawings where the theme has none).

#include <QIcon>
#include <QString>

namespace vardel::ui {

// Registers the compiled-in images; call once before the first icon.
void initResources();

// Icon of a list item: 0 enabled, 1 disabled, 2 partly enabled, 3..5 the
// same with a read-only plug-in. A null icon outside 0..5.
QIcon listIcon(int index);

// A command icon: the theme's icon of that name, else our image of that
// name (":/vardel/icons/<fallback>.svg").
QIcon commandIcon(const QString& themeName, const QString& fallback);

// The program's own icon.
QIcon applicationIcon();

}  // namespace vardel::ui
