// The program's data directory and settings on a hostile file system: the
// sample pictures are never written through a link, a FIFO in the settings
// file's place does not hang the start, and what the saves at the window's
// closing have to tell is shown before the window goes.

#include "UiTestSupport.h"

#include "app/Session.h"
#include "app/WriterLock.h"
#include "base/FileOps.h"
#include "support/TestSupport.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/session/DataDirectorySetup.h"
#include "ui/settings/QtSettingsBackend.h"

#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTest>

#include <filesystem>

using namespace vardel;
using namespace vardel::ui;
namespace fs = std::filesystem;

class DataDirectoryTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartMakesTheSamplePictures();
    void linksInThePicturesPlacesAreLeftAlone();
    void aFifoInPlaceOfTheSettingsFileIsNotReadOrWritten();
    void theDamagedStoreKeptAtCloseIsToldBeforeTheWindowGoes();
    void theProgramWaitsForACommandThatWritesThenGoesOn();
    void theProgramEndsWhileAnotherOneWrites();
};

namespace {

QString Q(const fs::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

const char* const kPictures[] = {"preview/Portrait.bmp", "images.db/EMPTY.JPG", "STARTUP.JPG"};

}  // namespace

void DataDirectoryTest::firstStartMakesTheSamplePictures()
{
    test::TempDir temp;
    QVERIFY(prepareDataDirectory(Q(temp / "data")));
    for (const char* picture : kPictures)
        QVERIFY2(fs::is_regular_file(temp / "data" / picture) && fs::file_size(temp / "data" / picture) > 1000,
                 picture);
    // An existing picture is the user's: it stays as it is.
    test::writeFile(temp / "data" / "STARTUP.JPG", std::string("mine"));
    QVERIFY(prepareDataDirectory(Q(temp / "data")));
    QCOMPARE(fs::file_size(temp / "data" / "STARTUP.JPG"), std::uintmax_t{4});
}

// A dangling link in a picture's place had the picture written wherever it
// pointed.
void DataDirectoryTest::linksInThePicturesPlacesAreLeftAlone()
{
    test::TempDir temp;
    const fs::path data = temp / "data";
    for (const char* sub : {"setup.db", "images.db", "preview"})
        fs::create_directories(data / sub);
    int n = 0;
    for (const char* picture : kPictures)
        fs::create_symlink(temp / ("target" + std::to_string(n++)), data / picture);
    QVERIFY(prepareDataDirectory(Q(data)));
    for (int i = 0; i < n; ++i)
        QVERIFY(!fs::exists(temp / ("target" + std::to_string(i))));
    for (const char* picture : kPictures)
        QVERIFY2(fs::is_symlink(data / picture), picture);
    for (const auto& file : fs::recursive_directory_iterator(data))
        QVERIFY2(!file.path().filename().string().starts_with("~"), qPrintable(Q(file.path())));
}

void DataDirectoryTest::aFifoInPlaceOfTheSettingsFileIsNotReadOrWritten()
{
    test::TempDir temp;
    const fs::path fifo = temp / "settings.ini";
    test::makeFifo(fifo);
    QVERIFY(test::FinishesWithin(std::chrono::seconds(10), [&] {
        QtSettingsBackend backend(Q(fifo));
        backend.WriteInt("Settings", "ScanAll", 1);
        if (!backend.sync())
            _exit(1);
    }));
    QtSettingsBackend backend(Q(fifo));
    QCOMPARE(backend.unusableFile(), Q(fifo));
    backend.WriteInt("Settings", "ScanAll", 1);
    QCOMPARE(backend.ReadInt("Settings", "ScanAll").value_or(0), 1);  // kept for this run
    QVERIFY(backend.sync());
    QVERIFY(fs::status(fifo).type() == fs::file_type::fifo);

    test::TempDir plain;
    QtSettingsBackend usable(Q(plain / "settings.ini"));
    QVERIFY(usable.unusableFile().isEmpty());
}

// The damaged original of a store kept at exit was told after the window
// had gone, so nobody saw it.
void DataDirectoryTest::theDamagedStoreKeptAtCloseIsToldBeforeTheWindowGoes()
{
    uitest::SampleData sample;
    test::writeFile(sample.DataDir() / "setup.db" / "keywords", std::string("\x03\x00", 2));
    uitest::Program program(sample);
    CMainFrame& frame = program.Frame();
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QVERIFY(!fs::exists(sample.DataDir() / "setup.db" / "keywords.damaged"));

    QTest::keyClick(&frame, Qt::Key_F4, Qt::AltModifier);
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = frame.findChild<QMessageBox*>(QStringLiteral("messageBox"))) && box->isVisible());
    QVERIFY(frame.isVisible());
    QVERIFY2(box->text().contains(QStringLiteral("keywords.damaged")), qPrintable(box->text()));
    QVERIFY(fs::exists(sample.DataDir() / "setup.db" / "keywords.damaged"));

    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    QTRY_VERIFY(!frame.isVisible());
    program.Close();
    QVERIFY(!fs::exists(sample.DataDir() / "setup.db" / "keywords.damaged.1"));  // kept once
}

namespace {

QString Program_()
{
    return QString::fromStdString((test::binDir() / "vardel").string());
}

// The program with a runtime directory of its own below temp: no other
// running instance (another suite's) makes it end as a second one.
void StartAlone(QProcess& vardel, const fs::path& temp, const QStringList& arguments)
{
    fs::create_directories(temp / "runtime");
    fs::permissions(temp / "runtime", fs::perms::owner_all);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Q(temp / "runtime"));
    vardel.setProcessEnvironment(environment);
    vardel.start(Program_(), arguments);
}

}  // namespace

// The program started while a command of vardel-cli writes waits for it.
void DataDirectoryTest::theProgramWaitsForACommandThatWritesThenGoesOn()
{
    test::TempDir temp;
    const fs::path data = temp / "data";
    fs::create_directories(data / "setup.db");
    auto command = std::make_unique<WriterLock>(WriterLock::Acquire(DataDirectory{data}, kCommandLineProgramName));
    QVERIFY(command->IsHeld());
    const QString shot = Q(temp / "shot.png");
    QProcess vardel;
    StartAlone(vardel, temp.path(),
               {QStringLiteral("--data-dir"), Q(data), QStringLiteral("--settings"), Q(temp / "s.ini"),
                QStringLiteral("--screenshot"), shot});
    QVERIFY(vardel.waitForStarted());
    QTest::qWait(1000);
    QVERIFY(!fs::exists(temp / "shot.png"));
    command.reset();
    QVERIFY(vardel.waitForFinished(60000));
    QCOMPARE(vardel.exitCode(), 0);
    QVERIFY(fs::exists(temp / "shot.png"));
}

// While another program holds the data directory the program does not
// start: it says who holds it (also on stderr) and ends.
void DataDirectoryTest::theProgramEndsWhileAnotherOneWrites()
{
    test::TempDir temp;
    const fs::path data = temp / "data";
    fs::create_directories(data / "setup.db");
    WriterLock other = WriterLock::Acquire(DataDirectory{data}, kDesktopProgramName);
    QVERIFY(other.IsHeld());
    QProcess vardel;
    StartAlone(vardel, temp.path(),
               {QStringLiteral("--data-dir"), Q(data), QStringLiteral("--settings"), Q(temp / "s.ini"),
                QStringLiteral("--screenshot"), Q(temp / "shot.png")});
    QVERIFY(vardel.waitForStarted());
    const QByteArray expected("Another Vardel program (vardel, process");
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += vardel.readAllStandardError()).contains(expected), 20000);
    QTest::qWait(500);
    QCOMPARE(vardel.state(), QProcess::Running);  // its message box waits for the user
    vardel.kill();
    vardel.waitForFinished();
    QVERIFY(!fs::exists(temp / "shot.png"));
    QVERIFY(!fs::exists(data / "setup.db" / "index"));
}

QTEST_MAIN(DataDirectoryTest)
#include "DataDirectoryTest.moc"
