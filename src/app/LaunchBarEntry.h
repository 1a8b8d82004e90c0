#pragma once
// One slot of the launch bar: the application it starts and its icon.

#include "base/Object.h"

#include <string>

namespace vardel {

class CLaunchBarEntry : public CObject {
public:
    static constexpr int kShowNormal = 5;
    static constexpr int kShowMaximized = 3;

    static const CRuntimeClass classCLaunchBarEntry;
    static const CRuntimeClass& GetStaticClass() { return classCLaunchBarEntry; }
    const CRuntimeClass& GetRuntimeClass() const override { return classCLaunchBarEntry; }
    // Stores schema 2: five strings, icon index, show command. Reads schema 1
    // (no show command, which becomes kShowNormal) and 2; any other schema
    // reads nothing.
    void Serialize(CArchive& ar) override;

    // An empty label marks an empty slot, whatever the command says.
    bool IsEmpty() const { return m_label.empty(); }
    // Whether this platform can ask a started program for a maximized
    // window (Windows' show command); elsewhere the show command is kept in
    // the store but has no effect.
    static constexpr bool CanStartMaximized()
    {
#ifdef _WIN32
        return true;
#else
        return false;
#endif
    }

    std::string m_label;
    std::string m_command;
    std::string m_arguments;
    std::string m_initialDirectory;
    std::string m_iconPath;
    int m_iconIndex = 0;
    int m_showCommand = kShowNormal;
};

}  // namespace vardel
