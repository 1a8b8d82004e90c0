// vardel-cli: the scriptable face of the Vardel core. JSON on stdout,
// messages on stderr; exit 0 done, 1 failed, 2 usage.

#include "app/DataDirectoryChoice.h"
#include "app/FreeMemory.h"
#include "cli/Cli.h"

#include <cstdio>
#include <iostream>

int main(int argc, char** argv)
{
    using namespace vardel::cli;
    // Large blocks (a catalogue file read whole, a save's bytes) go back to
    // the system as soon as they are freed.
    vardel::KeepHeapSmall();
    CLI::App app{"Vardel plug-in catalogue, command-line tool", "vardel-cli"};
    app.require_subcommand(1);
    Common common;
    app.add_option("--data-dir", common.dataDir,
                   "Directory holding setup.db and images.db (default: the current directory when it holds "
                   "setup.db, else the user's data directory, as the desktop program chooses)");
    // Before any command runs: the data directory the desktop program would use.
    app.parse_complete_callback([&common] {
        common.dataDir = vardel::ChooseDataDirectory(vardel::DataDirectoryPlaces::FromEnvironment(common.dataDir));
    });

    addStoreCommands(app, common);
    addReadCommands(app, common);
    addModifyCommands(app, common);
    addImageCommands(app, common);
    addInterpreterCommands(app, common);
    addViewCommands(app, common);
    addDuplicateCommands(app, common);
    addFolderCommands(app, common);
    addExportCommands(app, common);
    addHistoryCommands(app, common);
    addTroublemakerCommands(app, common);
    addWatchCommands(app, common);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    } catch (const CliFailure& e) {
        std::cerr << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "error: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
