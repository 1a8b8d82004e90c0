// history, undo, redo: the journal of the commands that changed plug-in
// files, newest first, and taking whole commands back or doing them again.

#include "cli/Cli.h"

#include "app/ChangeFollow.h"
#include "app/ChangeHistory.h"
#include "app/Session.h"
#include "base/MemorySettingsBackend.h"

#include <ctime>

namespace vardel::cli {

namespace {

const char* StateName(CommandState state)
{
    switch (state) {
    case CommandState::Started: return "cut_short";
    case CommandState::Done: return "done";
    case CommandState::Undoing: return "undo_cut_short";
    case CommandState::Undone: return "undone";
    }
    return "done";
}

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string IsoTime(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

nlohmann::json ChangeJson(const FileChange& c)
{
    nlohmann::json j = {{"file", pathToUtf8(c.file)},
                        {"state", c.state == FileChange::State::Skipped ? "skipped"
                                  : c.state == FileChange::State::Done  ? "done"
                                                                        : "pending"}};
    if (c.kind == FileChange::Kind::Rename) {
        j["kind"] = "rename";
        j["from"] = pathToUtf8(c.path);
        j["to"] = pathToUtf8(c.target);
    } else {
        j["kind"] = "write";
        j["path"] = pathToUtf8(c.path);
        j["offset"] = c.offset;
        j["before"] = Hex(c.before);
        j["after"] = Hex(c.after);
        j["field"] = c.field == TextField::Name ? "name" : "category";
        j["text_before"] = toUtf8(c.textBefore);
        j["text_after"] = toUtf8(c.textAfter);
    }
    return j;
}

nlohmann::json CommandJson(const JournalCommand& c)
{
    nlohmann::json changes = nlohmann::json::array();
    for (const FileChange& change : c.changes)
        changes.push_back(ChangeJson(change));
    return {{"id", c.id},
            {"label", toUtf8(c.label)},
            {"time", IsoTime(c.time)},
            {"state", StateName(c.state)},
            {"incomplete", c.IsIncomplete()},
            {"redoable", c.state == CommandState::Undone && c.redoable},
            {"changes", changes}};
}

void RunHistory(const Common& common)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Read);
    CChangeHistory& history = session->History();
    nlohmann::json commands = nlohmann::json::array();
    for (const JournalCommand& c : history.Commands())
        commands.push_back(CommandJson(c));
    nlohmann::json out = {{"commands", commands}};
    const auto undo = history.NextUndo();
    const auto redo = history.NextRedo();
    out["next_undo"] = undo ? nlohmann::json(undo->id) : nlohmann::json();
    out["next_redo"] = redo ? nlohmann::json(redo->id) : nlohmann::json();
    printJson(out);
}

enum class Step { Undo, Redo, TakeBack };

void RunStep(const Common& common, Step step, std::uint32_t id)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Write);
    CChangeHistory& history = session->History();
    const HistoryResult result = step == Step::Undo   ? history.Undo()
                                 : step == Step::Redo ? history.Redo()
                                                      : history.TakeBack(id);
    const auto saved = FollowInSession(*session, result.moved, result.side);
    if (!result.ok)
        throw CliFailure(result.message ? result.message->text : "Refused.");
    nlohmann::json ids = nlohmann::json::array();
    for (std::uint32_t k : result.commands)
        ids.push_back(k);
    nlohmann::json out = {{step == Step::Redo ? "redone" : "undone", ids}, {"files_changed", result.moved.size()}};
    if (saved)
        out["warning"] = saved->text;
    printJson(out);
}

}  // namespace

void addHistoryCommands(CLI::App& app, Common& common)
{
    app.add_subcommand("history", "The commands that changed plug-in files, newest first (JSON)")->callback([&common] {
        RunHistory(common);
    });
    auto id = std::make_shared<std::uint32_t>(0);
    CLI::App* undo = app.add_subcommand(
        "undo", "Take back the last command (a command cut short is rolled back); with --id, that command and the "
                "later ones that touch its files");
    undo->add_option("--id", *id, "The command to take back (its id in history)");
    undo->callback([&common, id] { RunStep(common, *id ? Step::TakeBack : Step::Undo, *id); });
    app.add_subcommand("redo", "Do the command undone last again (a command cut short is completed)")
        ->callback([&common] { RunStep(common, Step::Redo, 0); });
}

}  // namespace vardel::cli
