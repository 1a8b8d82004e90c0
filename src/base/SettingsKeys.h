#pragma once
// The names of every value the program keeps in its settings store, spelled
// once. They are the names existing users' stores hold: never rename one.

namespace vardel::settings_keys {

// Sections.
inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kFind = "Settings.Find";
inline constexpr const char* kBarState = "BarState";

// "Settings": the program's options.
inline constexpr const char* kTransparency = "Transparency";
inline constexpr const char* kPreviewSize = "PreviewSize";
inline constexpr const char* kPreviewImage = "PreviewImage";
inline constexpr const char* kScanAll = "ScanAll";
inline constexpr const char* kExtensions = "Extensions";
inline constexpr const char* kLanguage = "Language";
// "Settings": the folders last used to load and save a preview picture.
inline constexpr const char* kLoadPreviewImage = "TempLoadPreviewImage";
inline constexpr const char* kSavePreviewImage = "TempSavePreviewImage";
// "Settings": a dialog's values are "<dialog>.<value>"; its size and
// position "<dialog>.geometry".
inline constexpr const char* kGeometrySuffix = ".geometry";

// A window placement ("Settings" for the main window, "Settings.Find" for
// Find): the show state and the normal rectangle, right and bottom exclusive.
inline constexpr const char* kPlacementShowCmd = "wp.showCmd";
inline constexpr const char* kPlacementFlags = "wp.flags";
inline constexpr const char* kPlacementMinX = "wp.ptMinPosition.x";
inline constexpr const char* kPlacementMinY = "wp.ptMinPosition.y";
inline constexpr const char* kPlacementMaxX = "wp.ptMaxPosition.x";
inline constexpr const char* kPlacementMaxY = "wp.ptMaxPosition.y";
inline constexpr const char* kPlacementLeft = "wp.left";
inline constexpr const char* kPlacementRight = "wp.right";
inline constexpr const char* kPlacementTop = "wp.top";
inline constexpr const char* kPlacementBottom = "wp.bottom";

// "Settings.Find": the options and column widths.
inline constexpr const char* kFindKeyword = "sKeyword";
inline constexpr const char* kFindMatchCase = "bMatchCase";
inline constexpr const char* kFindTitle = "bName";
inline constexpr const char* kFindCategory = "bCatg";
inline constexpr const char* kFindAuthor = "bAuthor";
inline constexpr const char* kFindFilename = "bFilename";
inline constexpr const char* kFindDescription = "bDesc";
inline constexpr const char* kFindKeywords = "bKeywords";
inline constexpr const char* kFindTitleWidth = "Title.cx";
inline constexpr const char* kFindCategoryWidth = "Category.cx";
inline constexpr const char* kFindFilenameWidth = "Filename.cx";

// "BarState": the bar layout and whether the status bar shows.
inline constexpr const char* kBarLayout = "State";
inline constexpr const char* kStatusBarShown = "bStatusBar";

}  // namespace vardel::settings_keys
