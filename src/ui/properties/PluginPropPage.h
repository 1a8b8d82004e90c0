#pragma once
// A page of the property sheet "Plugin Details": it fills itself from the
// sheet's plug-in and parameter block when it is made, and stores what the
// user changed when the sheet is confirmed with OK.

#include <QWidget>

namespace vardel::ui {

class PluginPropPage : public QWidget {
public:
    using QWidget::QWidget;
    // Stores the page's changes (OK). Pages without changes do nothing.
    virtual void apply() {}
};

}  // namespace vardel::ui
