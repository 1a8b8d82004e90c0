#pragma once
// The main window's own commands (those that are not the view's), with
// their texts, mnemonics, shortcuts, tips and icons.

class QAction;
class QWidget;

namespace vardel::ui {

struct FrameActions {
    QAction* setup = nullptr;            // "&Setup..."
    QAction* exportCatalogue = nullptr;  // "&Export Catalogue..."
    QAction* duplicates = nullptr;       // "D&uplicates..."
    QAction* print = nullptr;            // "&Print...\tCtrl+P", never available
    QAction* exit = nullptr;             // "E&xit\tAlt+F4"
    QAction* statusBar = nullptr;        // "&Status Bar"
    QAction* selectDirectory = nullptr;  // "Select plugin directory", F4
    QAction* rescan = nullptr;           // "Re-&Scan all"
    QAction* manual = nullptr;           // "&Manual..."
    QAction* tip = nullptr;              // "&Tip of the day..."
    QAction* about = nullptr;            // "&About Vardel..."
    QAction* website = nullptr;          // "Vardel &Website"
    QAction* cancelScan = nullptr;       // Esc while a scan runs
    QAction* nextPane = nullptr;         // F6
    QAction* previousPane = nullptr;     // Shift+F6
};

// Creates the actions, owned by parent, each with an object name.
FrameActions createFrameActions(QWidget* parent);

}  // namespace vardel::ui
