#pragma once
// The document: the catalogue of one configured plug-in directory at a time.
// Selecting a directory scans it the first time and afterwards reloads its
// catalogue file and brings it up to date cheaply (the plug-in cache).
// Window-free: the GUI and the command-line tool attach callbacks.

#include "catalogue/PluginListManager.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vardel {

class CVardelApp;
class CPluginDirEntry;
class CPluginEntry;
class BlockFile;

class CVardelDoc {
public:
    // Commands posted to the main frame after a catalogue changed.
    static constexpr int kCmdRefillViews = 32846;
    static constexpr int kCmdSetupSave = 32878;
    static constexpr int kClassCountSize = 10;

    explicit CVardelDoc(CVardelApp& app);

    CPluginListManager m_catalogue;
    std::string m_title = "Untitled";
    int m_selectedClass = -1;
    std::array<int, kClassCountSize> m_classCounts{};
    int m_directoryPopupShown = 0;
    // Files handed to the resource reader since the last selection or rescan.
    int m_filesRead = 0;

    // The path of every file read or checked (the status bar's progress).
    std::function<void(const std::string&)> m_onProgress;
    // Status bar texts ("Analysing...", "Ready").
    std::function<void(const std::string&)> m_onStatus;
    // Messages for a message box (catalogue file errors, reader messages).
    std::function<void(const std::string&)> m_onMessage;
    // Posts a command to the main frame. Without a handler, SetupSave runs
    // at once and the refill is ignored.
    std::function<void(int)> m_post;

    // The directory whose catalogue is shown; null when none. May no longer
    // be in the directory list (see IsCurrentInList).
    const CPluginDirEntry* CurrentDirectory() const { return m_current; }
    // True when the current directory is still in the directory list.
    bool IsCurrentInList() const;
    // True when the catalogue has entries and its directory is still listed.
    bool IsCatalogueShown() const;

    // Saves the catalogue shown, then shows directory n: scans it when its
    // catalogue file is empty, else loads and refreshes it. Returns false
    // (after reporting the cause through m_onMessage) when n is not in the
    // list or the catalogue file cannot be opened.
    bool SelectDirectory(int n);
    // Scans the current directory again, ignoring its stored catalogue.
    // False when there is no current directory in the list.
    bool RescanAll();
    // Writes the selected class and the catalogue to the current directory's
    // catalogue file. Failures are silent (false).
    bool SaveCatalogue();
    // Empties the catalogue and scans directory n of the list.
    void FullScan(int n);
    // Adds a root for the directory when it exists and reads every candidate
    // file below it.
    void ScanRoot(const std::string& directory, bool subdirectories);
    // Checks a catalogue just loaded against the files of its directory and
    // reads the files it does not know.
    void Refresh(const CPluginDirEntry& directory);
    // Sorts the entries by sort key (Shell sort, gaps 1, 4, 13, 40, ...).
    void Sort();
    // Counts the entries per plug-in class and picks the selected class.
    void CountClasses();

    // True when a file with this extension (".8BF", "" for none) is a scan
    // candidate under the extension list (and "Scan all").
    static bool IsCandidate(const std::string& upperExtension, const std::string& extensions, bool scanAll);
    // The extension of a file name: the text from its last "." on, in upper case.
    static std::string UpperExtension(const std::string& fileName);
    // The message for a catalogue file that cannot be opened, by errno.
    static std::string OpenErrorMessage(int error, const std::string& path);

private:
    void Walk(const std::string& directory, bool subdirectories, bool scanAll, int depth,
              std::vector<std::string>* collect);
    void ReadCandidate(const std::string& path, bool hasExtension);
    // Steps 3 to 5 of the refresh for an entry whose file is open: its file
    // status, widened capacities and texts. False when the entry is dropped.
    bool CheckEntry(CPluginEntry& e, BlockFile& file);
    void Status(const char* text);
    void Post(int command);
    int IndexOfCurrent() const;

    CVardelApp& m_app;
    const CPluginDirEntry* m_current = nullptr;
};

}  // namespace vardel
