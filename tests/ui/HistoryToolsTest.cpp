// Undo, redo, the History window, Find Troublemaker and the question about a
// change cut short, as a person uses them: menus opened with Alt and their
// letters, rows and buttons clicked, shortcuts typed.

#include "UiTestSupport.h"

#include "app/ChangeHistory.h"
#include "app/Session.h"
#include "app/TroublemakerSearch.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CatalogueEditor.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/VardelView.h"
#include "ui/dialogs/HistoryDialog.h"
#include "ui/dialogs/TroublemakerDialog.h"
#include "ui/mainwindow/HistoryActions.h"
#include "ui/mainwindow/MainFrame.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>

using namespace vardel;
using namespace vardel::ui;
using vardel::uitest::Program;
using vardel::uitest::SampleData;
namespace fs = std::filesystem;

namespace {

CPluginEntry* EntryOf(CVardelSession& session, const fs::path& file)
{
    for (auto& e : session.Catalogue().m_entries)
        if (e->RealPath() == file.string())
            return e.get();
    return nullptr;
}

// Changes made as set-up, not under test: through the editor, recorded.
CCatalogueEditor editor(CVardelSession& session, ChangeRecorder* recorder = nullptr)
{
    return CCatalogueEditor(session.Catalogue(), nullptr, session.CatalogueWriteScope(),
                            recorder ? recorder : session.Recorder());
}

// Dies (as a killed program does) at the second change of a command.
struct DyingRecorder : ChangeRecorder {
    ChangeRecorder& real;
    int marks = 0;
    explicit DyingRecorder(ChangeRecorder& r)
        : real(r)
    {}
    RecordRefusal Begin(const std::string& label, const std::vector<FileChange>& changes) override
    {
        return real.Begin(label, changes);
    }
    void Mark(std::size_t change, FileChange::State state) override
    {
        if (++marks == 2)
            throw std::runtime_error("killed");
        real.Mark(change, state);
    }
    void End() override { real.End(); }
};

}  // namespace

class HistoryToolsTest : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoFromTheMenuAndTheKeys();
    void historyTakesBackACommandWithTheLaterOnesOnItsFiles();
    void troublemakerFindsTheCulpritAcrossAClosedWindow();
    void aChangeCutShortIsRolledBackAfterTheQuestion();
};

void HistoryToolsTest::undoAndRedoFromTheMenuAndTheKeys()
{
    SampleData sample({"pipl_single.8bf", "pipl_three.8bf"});
    sample.AddDirectory("Test", sample.PluginDir());
    const fs::path single = sample.PluginDir() / "pipl_single.8bf";
    const auto before = test::readFile(single);
    Program program(sample);
    QVERIFY(program.SelectDirectory(0));
    HistoryActions& history = *program.Frame().history();
    QVERIFY(!history.undoAction()->isEnabled());
    QVERIFY(!history.redoAction()->isEnabled());

    CPluginEntry* glow = EntryOf(program.Session(), single);
    QVERIFY(glow);
    const CommandResult off = editor(program.Session()).EnablePlugins({glow}, false);
    QVERIFY(off.accepted);
    program.Session().NotifyEntriesChanged({glow});
    QVERIFY(history.undoAction()->isEnabled());
    QVERIFY(history.undoAction()->statusTip().contains(QStringLiteral("Disable \"Soft Glow\"")));

    // Edit > Undo.
    QVERIFY(uitest::ChooseFromMenuBar(program.Frame(), Qt::Key_E, "undoAction"));
    QTRY_VERIFY(fs::exists(single));
    QTRY_VERIFY(!history.isBusy());
    QCOMPARE(test::readFile(single), before);
    QCOMPARE(EntryOf(program.Session(), single)->m_enabled, 1);
    QVERIFY(!history.undoAction()->isEnabled());
    QVERIFY(history.redoAction()->isEnabled());

    // Ctrl+Y, Ctrl+Z, Ctrl+Shift+Z on the focused list.
    program.Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&program.Frame()));
    program.view().pluginList()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(program.view().pluginList()));
    uitest::PressKey(Qt::Key_Y, Qt::ControlModifier);
    QTRY_VERIFY(!fs::exists(single));
    QTRY_VERIFY(!history.isBusy());
    QCOMPARE(EntryOf(program.Session(), single)->m_enabled, 0);
    uitest::PressKey(Qt::Key_Z, Qt::ControlModifier);
    QTRY_VERIFY(fs::exists(single));
    QTRY_VERIFY(!history.isBusy());
    uitest::PressKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(!fs::exists(single));
    QTRY_VERIFY(!history.isBusy());
    QVERIFY(fs::exists(sample.PluginDir() / "pipl_single_8bf"));
}

void HistoryToolsTest::historyTakesBackACommandWithTheLaterOnesOnItsFiles()
{
    SampleData sample({"pipl_single.8bf", "pipl_three.8bf"});
    sample.AddDirectory("Test", sample.PluginDir());
    const fs::path single = sample.PluginDir() / "pipl_single.8bf";
    const fs::path three = sample.PluginDir() / "pipl_three.8bf";
    const auto singleBefore = test::readFile(single);
    const auto threeBefore = test::readFile(three);
    Program program(sample);
    QVERIFY(program.SelectDirectory(0));
    CVardelSession& session = program.Session();
    QVERIFY(editor(session).RenamePlugin(*EntryOf(session, single), "Glow Two").Written());
    QVERIFY(editor(session).RenamePlugin(*EntryOf(session, three), "Alpha Neu").Written());
    QVERIFY(editor(session).EnablePlugins({EntryOf(session, single)}, false).accepted);
    session.NotifyEntriesChanged({});

    QVERIFY(uitest::ChooseFromMenuBar(program.Frame(), Qt::Key_E, "historyAction"));
    HistoryDialog* dialog = program.Frame().history()->openHistory();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("historyList"));
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Disable \"Glow Two\""));
    QCOMPARE(list->topLevelItem(2)->text(1), QStringLiteral("Rename \"Soft Glow\" to \"Glow Two\""));

    auto* takeBack = dialog->findChild<QPushButton*>(QStringLiteral("takeBackButton"));
    QVERIFY(!takeBack->isEnabled());
    uitest::ClickRow(*list, 2);
    QVERIFY(takeBack->isEnabled());
    uitest::ClickWidget(takeBack);
    QMessageBox* question = uitest::WaitForBox(QStringLiteral("takeBackQuestion"));
    QVERIFY(question);
    QVERIFY(question->informativeText().contains(QStringLiteral("1 later change")));
    uitest::ClickWidget(question->button(QMessageBox::Yes));
    QTRY_VERIFY(fs::exists(single));
    QTRY_VERIFY(!program.Frame().history()->isBusy());
    QCOMPARE(test::readFile(single), singleBefore);
    QVERIFY(test::readFile(three) != threeBefore);  // not on the same file: stays
    QTRY_COMPARE(list->topLevelItem(0)->text(3), QStringLiteral("taken back"));
    QCOMPARE(list->topLevelItem(1)->text(3), QStringLiteral("done"));
    QCOMPARE(list->topLevelItem(2)->text(3), QStringLiteral("taken back"));
    QCOMPARE(EntryOf(session, single)->m_name, std::string("Soft Glow"));
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!program.Frame().history()->openHistory());
}

void HistoryToolsTest::troublemakerFindsTheCulpritAcrossAClosedWindow()
{
    SampleData sample({"pipl_single.8bf", "pipl_three.8bf", "pipl_nocat.8bf", "ff_filter.8bf", "pimi_filter.8bf"});
    sample.AddDirectory("Test", sample.PluginDir());
    const fs::path culprit = sample.PluginDir() / "pipl_nocat.8bf";
    std::vector<std::pair<fs::path, std::vector<std::uint8_t>>> before;
    for (const auto& f : fs::directory_iterator(sample.PluginDir()))
        before.emplace_back(f.path(), test::readFile(f.path()));
    Program program(sample);
    QVERIFY(program.SelectDirectory(0));
    CMainFrame& frame = program.Frame();

    QVERIFY(uitest::ChooseFromMenuBar(frame, Qt::Key_P, "troublemakerAction"));
    TroublemakerDialog* dialog = frame.history()->openTroublemaker();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("stateLabel"))->text().contains(QStringLiteral("5 enabled")));
    uitest::ClickWidget(dialog->findChild<QPushButton*>(QStringLiteral("startButton")));
    QTRY_VERIFY(!dialog->isBusy());
    QVERIFY(program.Session().Troublemaker().Active());
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("progressLabel"))->text(),
             QStringLiteral("At most 3 step(s) remain."));

    // Closed between two steps (the host may need it), opened again.
    uitest::ClickWidget(dialog->findChild<QPushButton*>(QStringLiteral("closeButton")));
    QTRY_VERIFY(!frame.history()->openTroublemaker());
    QVERIFY(uitest::ChooseFromMenuBar(frame, Qt::Key_P, "troublemakerAction"));
    dialog = frame.history()->openTroublemaker();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("stateLabel"))->text().startsWith(QStringLiteral("2 of 5")));

    int answers = 0;
    while (!program.Session().Troublemaker().State().Found()) {
        const char* button = fs::exists(culprit) ? "stillBrokenButton" : "worksNowButton";
        uitest::ClickWidget(dialog->findChild<QPushButton*>(QString::fromLatin1(button)));
        QTRY_VERIFY(!dialog->isBusy());
        QVERIFY(++answers <= 3);
    }
    QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("stateLabel"))
                ->text()
                .contains(QString::fromStdString(culprit.string())));
    auto* finish = dialog->findChild<QPushButton*>(QStringLiteral("abandonButton"));
    QCOMPARE(finish->text(), QStringLiteral("&Finish"));
    uitest::ClickWidget(finish);
    QTRY_VERIFY(!program.Session().Troublemaker().Active());
    for (const auto& [path, bytes] : before) {
        QVERIFY(fs::exists(path));
        QCOMPARE(test::readFile(path), bytes);
    }
    for (const auto& e : program.Session().Catalogue().m_entries)
        QCOMPARE(e->m_enabled, 1);
}

void HistoryToolsTest::aChangeCutShortIsRolledBackAfterTheQuestion()
{
    SampleData sample({"pipl_single.8bf", "pipl_three.8bf", "pipl_long.8bf"});
    sample.AddDirectory("Test", sample.PluginDir());
    std::vector<std::pair<fs::path, std::vector<std::uint8_t>>> before;
    for (const auto& f : fs::directory_iterator(sample.PluginDir()))
        before.emplace_back(f.path(), test::readFile(f.path()));
    {
        Program program(sample);
        QVERIFY(program.SelectDirectory(0));
        std::vector<CPluginEntry*> all;
        for (auto& e : program.Session().Catalogue().m_entries)
            all.push_back(e.get());
        DyingRecorder dying(*program.Session().Recorder());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, editor(program.Session(), &dying).EnablePlugins(all, false));
    }
    Program program(sample);
    program.Frame().show();
    QVERIFY(QTest::qWaitForWindowExposed(&program.Frame()));
    program.Frame().history()->offerResolution();
    QMessageBox* question = uitest::WaitForBox(QStringLiteral("incompleteQuestion"));
    QVERIFY(question);
    QVERIFY(question->text().contains(QStringLiteral("cut short")));
    uitest::ClickWidget(question->findChild<QPushButton*>(QStringLiteral("rollBackButton")));
    QTRY_VERIFY(program.Session().History().Incomplete().empty());
    QTRY_VERIFY(!program.Frame().history()->isBusy());
    for (const auto& [path, bytes] : before) {
        QVERIFY(fs::exists(path));
        QCOMPARE(test::readFile(path), bytes);
    }
}

QTEST_MAIN(HistoryToolsTest)
#include "HistoryToolsTest.moc"
