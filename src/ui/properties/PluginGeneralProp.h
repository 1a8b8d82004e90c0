#pragma once
// The page " General Properties ": everything the catalogue knows about the
// plug-in, read-only - its texts, the other plug-ins of its file, the
// supported modes, the file's machine and whether it is signed.

#include "ui/properties/PluginPropPage.h"

namespace vardel {
class CParameterBlock;
class CPluginEntry;
class CVardelSession;
}  // namespace vardel

namespace vardel::ui {

class PluginGeneralProp : public PluginPropPage {
    Q_OBJECT
public:
    // block: the sheet's copy for a Filter Factory filter, else null.
    PluginGeneralProp(vardel::CVardelSession& session, const vardel::CPluginEntry& entry,
                      const vardel::CParameterBlock* block, QWidget* parent = nullptr);
};

}  // namespace vardel::ui
