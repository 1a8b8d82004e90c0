#pragma once
// The page " Filter Factory Code ": the four channel formulas of a Filter
// Factory filter, read-only, in a fixed-width font.

#include "ui/properties/PluginPropPage.h"

namespace vardel {
class CParameterBlock;
}

namespace vardel::ui {

class PluginFFCodeProp : public PluginPropPage {
    Q_OBJECT
public:
    PluginFFCodeProp(const vardel::CParameterBlock& block, QWidget* parent = nullptr);
};

}  // namespace vardel::ui
