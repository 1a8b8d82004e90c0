// The Setup, Plugin Directory, launch bar entry, About, tip and Restore Cache
// Monitor dialogs, driven through their controls on the offscreen platform.

#include "app/LaunchBarEntry.h"
#include "app/Session.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginRestoreManager.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/DirectoryDialog.h"
#include "ui/dialogs/LaunchBarEntryDialog.h"
#include "ui/dialogs/RestoreMonitorDialog.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/dialogs/TipDialog.h"
#include "ui/resources/Icons.h"
#include "SessionFixture.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace vardel;
using namespace vardel::ui;
using vardel::test::child;
namespace fs = std::filesystem;

namespace {

struct TestSession : test::SessionFixture {
    // Adds a directory entry as the Setup dialog does; returns its index.
    std::size_t addDirectory(const std::string& label, bool separator = false)
    {
        auto entry = std::make_unique<CPluginDirEntry>();
        entry->m_label = label;
        entry->m_directory = (dir / "setup.db").string();
        entry->m_separator = separator ? 1 : 0;
        return AddDirectory(session->GetDataDirectory(), session->Directories(), std::move(entry));
    }
};

QPushButton* okButton(QWidget* dialog)
{
    return child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok);
}

void selectRow(QWidget* dialog, int row)
{
    auto* list = child<QTreeWidget>(dialog, "directoryList");
    list->clearSelection();
    if (row >= 0)
        list->topLevelItem(row)->setSelected(true);
}

QString stringOf(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void setupShowsSettings();
    void setDefaultPutsTheDefaultExtensions();
    void scanAllBoxDisablesTheEdit();
    void okTakesOverCancelDiscards();
    void rowsShowLabelsDirectoriesAndSeparators();
    void upDownAvailability_data();
    void upDownAvailability();
    void downMovesAndKeepsSelection();
    void removeDeletesTheCatalogueFile();
    void addRunsTheDirectoryDialog();

    void directoryDialogRemovesTrailingSeparators();
    void directoryDialogReportsMissingDirectory();
    void directoryDialogIncompleteStaysOpen();
    void directoryDialogSeparatorWithoutTexts();
    void existingEntryOnlyLabelEditable();

    void launchEntryOkNeedsLabelAndCommand();
    void launchEntryChosenCommandFillsEmptyFields();
    void launchEntryDroppedFileFillsAll();
    void launchEntryOkStoresFields();

    void restoreMonitorColumns();
    void restoreMonitorSortsByText();
    void aboutRightDoubleClickOpensMonitor();
    void tipsCycle();
    void dialogsRememberTheirSize();
    void screenshots();

private:
    QTemporaryDir m_settingsDir;
    // Where the dialogs opened without a session keep their sizes.
    MemorySettingsBackend m_settings;
};

void DialogsTest::initTestCase()
{
    // Dialog sizes go to a private settings file, not the user's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    initResources();
}

void DialogsTest::setupShowsSettings()
{
    TestSession s;
    SetupDialog dialog(*s.session);
    QCOMPARE(child<QLineEdit>(&dialog, "extensionsEdit")->text(), QString::fromLatin1(kDefaultExtensions));
    QVERIFY(!child<QCheckBox>(&dialog, "scanAllBox")->isChecked());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Setup"));

    s.session->GetSettings().scanAll = 1;
    s.session->GetSettings().extensions = "8bf";
    SetupDialog second(*s.session);
    QCOMPARE(child<QLineEdit>(&second, "extensionsEdit")->text(), QStringLiteral("8bf"));
    QVERIFY(child<QCheckBox>(&second, "scanAllBox")->isChecked());
    QVERIFY(!child<QLineEdit>(&second, "extensionsEdit")->isEnabled());
    QVERIFY(!child<QPushButton>(&second, "setDefaultButton")->isEnabled());
}

void DialogsTest::setDefaultPutsTheDefaultExtensions()
{
    TestSession s;
    SetupDialog dialog(*s.session);
    auto* edit = child<QLineEdit>(&dialog, "extensionsEdit");
    edit->setText(QStringLiteral("xyz"));
    QTest::mouseClick(child<QPushButton>(&dialog, "setDefaultButton"), Qt::LeftButton);
    QCOMPARE(edit->text(), QString::fromLatin1(kDefaultExtensions));
}

void DialogsTest::scanAllBoxDisablesTheEdit()
{
    TestSession s;
    SetupDialog dialog(*s.session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* box = child<QCheckBox>(&dialog, "scanAllBox");
    auto* edit = child<QLineEdit>(&dialog, "extensionsEdit");
    auto* setDefault = child<QPushButton>(&dialog, "setDefaultButton");
    QVERIFY(edit->isEnabled());
    uitest::ClickWidget(box);
    QVERIFY(!edit->isEnabled());
    QVERIFY(!setDefault->isEnabled());
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(edit->isEnabled());
    QVERIFY(setDefault->isEnabled());
}

void DialogsTest::okTakesOverCancelDiscards()
{
    TestSession s;
    {
        SetupDialog dialog(*s.session);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        child<QLineEdit>(&dialog, "extensionsEdit")->setText(QStringLiteral("8bf, 8bi"));
        uitest::ClickWidget(child<QCheckBox>(&dialog, "scanAllBox"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    }
    QCOMPARE(s.session->GetSettings().extensions, std::string(kDefaultExtensions));
    QCOMPARE(s.session->GetSettings().scanAll, 0);
    {
        SetupDialog dialog(*s.session);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        child<QLineEdit>(&dialog, "extensionsEdit")->setText(QStringLiteral("8bf, 8bi"));
        uitest::ClickWidget(child<QCheckBox>(&dialog, "scanAllBox"));
        QTest::mouseClick(okButton(&dialog), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(s.session->GetSettings().extensions, std::string("8bf, 8bi"));
    QCOMPARE(s.session->GetSettings().scanAll, 1);
}

void DialogsTest::rowsShowLabelsDirectoriesAndSeparators()
{
    TestSession s;
    s.addDirectory("Filters");
    s.addDirectory("", true);
    SetupDialog dialog(*s.session);
    auto* list = child<QTreeWidget>(&dialog, "directoryList");
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Label"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Directory"));
    QCOMPARE(list->columnWidth(0), 150);
    QCOMPARE(list->columnWidth(1), 240);
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Filters"));
    QCOMPARE(list->topLevelItem(0)->text(1), stringOf(s.dir / "setup.db"));
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("----------"));
    QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("----------"));
    QVERIFY(!list->topLevelItem(0)->icon(0).isNull());

    // The four row images differ from each other and from the separator's.
    CPluginDirEntry e;
    QImage images[5];
    int i = 0;
    for (int enabled : {1, 0})
        for (int sub : {0, 1}) {
            e.m_enabled = enabled;
            e.m_includeSubdirectories = sub;
            images[i++] = SetupDialog::rowIcon(e).pixmap(15).toImage();
        }
    e.m_separator = 1;
    images[4] = SetupDialog::rowIcon(e).pixmap(15).toImage();
    for (int a = 0; a < 5; ++a)
        for (int b = a + 1; b < 5; ++b)
            QVERIFY2(images[a] != images[b], qPrintable(QStringLiteral("icons %1 and %2").arg(a).arg(b)));
}

void DialogsTest::upDownAvailability_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("editRemove");
    QTest::newRow("none") << -1 << false << false << false;
    QTest::newRow("first") << 0 << false << true << true;
    QTest::newRow("middle") << 1 << true << true << true;
    QTest::newRow("last") << 2 << true << false << true;
}

void DialogsTest::upDownAvailability()
{
    QFETCH(int, row);
    QFETCH(bool, up);
    QFETCH(bool, down);
    QFETCH(bool, editRemove);
    TestSession s;
    s.addDirectory("A");
    s.addDirectory("B");
    s.addDirectory("C");
    SetupDialog dialog(*s.session);
    selectRow(&dialog, row);
    QCOMPARE(dialog.currentIndex(), row);
    QCOMPARE(child<QToolButton>(&dialog, "upButton")->isEnabled(), up);
    QCOMPARE(child<QToolButton>(&dialog, "downButton")->isEnabled(), down);
    QCOMPARE(child<QPushButton>(&dialog, "editButton")->isEnabled(), editRemove);
    QCOMPARE(child<QPushButton>(&dialog, "removeButton")->isEnabled(), editRemove);
    QVERIFY(child<QPushButton>(&dialog, "addButton")->isEnabled());
}

void DialogsTest::downMovesAndKeepsSelection()
{
    TestSession s;
    s.addDirectory("A");
    s.addDirectory("B");
    SetupDialog dialog(*s.session);
    selectRow(&dialog, 0);
    QTest::mouseClick(child<QToolButton>(&dialog, "downButton"), Qt::LeftButton);
    QCOMPARE(s.session->Directories()[0]->m_label, std::string("B"));
    QCOMPARE(s.session->Directories()[1]->m_label, std::string("A"));
    QCOMPARE(dialog.currentIndex(), 1);
    QCOMPARE(child<QTreeWidget>(&dialog, "directoryList")->topLevelItem(1)->text(0), QStringLiteral("A"));
    QVERIFY(!child<QToolButton>(&dialog, "downButton")->isEnabled());
    QTest::mouseClick(child<QToolButton>(&dialog, "upButton"), Qt::LeftButton);
    QCOMPARE(s.session->Directories()[0]->m_label, std::string("A"));
    QCOMPARE(dialog.currentIndex(), 0);
    // Cancel does not undo the moves.
    dialog.reject();
    QCOMPARE(s.session->Directories()[0]->m_label, std::string("A"));
}

void DialogsTest::removeDeletesTheCatalogueFile()
{
    TestSession s;
    s.addDirectory("A");
    s.addDirectory("B");
    const fs::path fileA = s.session->GetDataDirectory().Resolve(s.session->Directories()[0]->m_catalogueFile);
    const fs::path fileB = s.session->GetDataDirectory().Resolve(s.session->Directories()[1]->m_catalogueFile);
    QVERIFY(fs::exists(fileA));
    SetupDialog dialog(*s.session);
    selectRow(&dialog, 0);
    QTest::mouseClick(child<QPushButton>(&dialog, "removeButton"), Qt::LeftButton);
    QCOMPARE(s.session->Directories().size(), std::size_t(1));
    QVERIFY(!fs::exists(fileA));
    QCOMPARE(dialog.currentIndex(), 0);

    // A catalogue file that cannot be deleted keeps its entry.
    fs::remove(fileB);
    QTest::mouseClick(child<QPushButton>(&dialog, "removeButton"), Qt::LeftButton);
    QCOMPARE(s.session->Directories().size(), std::size_t(1));
    QCOMPARE(child<QTreeWidget>(&dialog, "directoryList")->topLevelItemCount(), 1);
}

void DialogsTest::addRunsTheDirectoryDialog()
{
    TestSession s;
    SetupDialog dialog(*s.session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QString directory = stringOf(s.dir / "images.db") + QStringLiteral("//");
    QTest::mouseClick(child<QPushButton>(&dialog, "addButton"), Qt::LeftButton);
    auto* modal = dialog.findChild<DirectoryDialog*>();
    QVERIFY(modal && modal->isVisible());
    QCOMPARE(modal->windowTitle(), QStringLiteral("Plugin Directory"));
    QVERIFY(child<QLineEdit>(modal, "directoryEdit")->isEnabled());
    QTest::keyClicks(child<QLineEdit>(modal, "labelEdit"), QStringLiteral("Images"));
    QTest::keyClicks(child<QLineEdit>(modal, "directoryEdit"), directory);
    QTest::mouseClick(okButton(modal), Qt::LeftButton);
    QCOMPARE(s.session->Directories().size(), std::size_t(1));
    const CPluginDirEntry& added = *s.session->Directories()[0];
    QCOMPARE(added.m_label, std::string("Images"));
    QCOMPARE(added.m_directory, (s.dir / "images.db").string());
    QVERIFY(!added.m_catalogueFile.empty());
    QVERIFY(fs::exists(s.session->GetDataDirectory().Resolve(added.m_catalogueFile)));
    QCOMPARE(dialog.currentIndex(), 0);

    // Cancel (Escape) discards a new entry.
    QTRY_VERIFY(!dialog.findChild<DirectoryDialog*>());
    QTest::mouseClick(child<QPushButton>(&dialog, "addButton"), Qt::LeftButton);
    modal = dialog.findChild<DirectoryDialog*>();
    QVERIFY(modal);
    QTest::keyClick(modal, Qt::Key_Escape);
    QCOMPARE(s.session->Directories().size(), std::size_t(1));
}

void DialogsTest::directoryDialogRemovesTrailingSeparators()
{
    test::TempDir dir;
    CPluginDirEntry entry;
    DirectoryDialog dialog(entry, m_settings);
    child<QLineEdit>(&dialog, "labelEdit")->setText(QStringLiteral("Plugins"));
    child<QLineEdit>(&dialog, "directoryEdit")->setText(stringOf(dir.path()) + QStringLiteral("//"));
    child<QCheckBox>(&dialog, "subdirectoriesBox")->setChecked(true);
    QCOMPARE(dialog.checkAndStore(), DirEntryCheck::Accepted);
    QCOMPARE(entry.m_directory, dir.path().string());
    QCOMPARE(entry.m_label, std::string("Plugins"));
    QCOMPARE(entry.m_includeSubdirectories, 1);
    QCOMPARE(entry.m_enabled, 1);
}

void DialogsTest::directoryDialogReportsMissingDirectory()
{
    test::TempDir dir;
    CPluginDirEntry entry;
    DirectoryDialog dialog(entry, m_settings);
    dialog.show();
    child<QLineEdit>(&dialog, "labelEdit")->setText(QStringLiteral("Gone"));
    child<QLineEdit>(&dialog, "directoryEdit")->setText(stringOf(dir / "missing"));
    QCOMPARE(dialog.checkAndStore(), DirEntryCheck::DirectoryMissing);
    QVERIFY(entry.m_label.empty());

    QTest::mouseClick(okButton(&dialog), Qt::LeftButton);
    auto* box = dialog.findChild<QMessageBox*>(QStringLiteral("directoryMissingBox"));
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("The specified directory does not exist!"));
    QVERIFY(box->isVisible());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    box->close();
}

void DialogsTest::directoryDialogIncompleteStaysOpen()
{
    test::TempDir dir;
    CPluginDirEntry entry;
    DirectoryDialog dialog(entry, m_settings);
    dialog.show();
    child<QLineEdit>(&dialog, "directoryEdit")->setText(stringOf(dir.path()));
    QTest::mouseClick(okButton(&dialog), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.findChild<QMessageBox*>());
    QVERIFY(entry.m_directory.empty());
}

void DialogsTest::directoryDialogSeparatorWithoutTexts()
{
    CPluginDirEntry entry;
    DirectoryDialog dialog(entry, m_settings);
    child<QCheckBox>(&dialog, "separatorBox")->setChecked(true);
    QCOMPARE(dialog.checkAndStore(), DirEntryCheck::Accepted);
    QCOMPARE(entry.m_separator, 1);
}

void DialogsTest::existingEntryOnlyLabelEditable()
{
    CPluginDirEntry entry;
    entry.m_label = "Old";
    entry.m_directory = "/somewhere";
    DirectoryDialog dialog(entry, m_settings);
    QVERIFY(child<QLineEdit>(&dialog, "labelEdit")->isEnabled());
    QVERIFY(!child<QLineEdit>(&dialog, "directoryEdit")->isEnabled());
    QVERIFY(!child<QToolButton>(&dialog, "browseButton")->isEnabled());
    QVERIFY(!child<QCheckBox>(&dialog, "subdirectoriesBox")->isEnabled());
    QVERIFY(!child<QCheckBox>(&dialog, "separatorBox")->isEnabled());
    QVERIFY(child<QCheckBox>(&dialog, "enabledBox")->isHidden());
    QCOMPARE(child<QLineEdit>(&dialog, "directoryEdit")->text(), QStringLiteral("/somewhere"));
}

void DialogsTest::launchEntryOkNeedsLabelAndCommand()
{
    CLaunchBarEntry entry;
    LaunchBarEntryDialog dialog(entry, m_settings);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Application to Launch Bar"));
    QVERIFY(!okButton(&dialog)->isEnabled());
    child<QLineEdit>(&dialog, "labelEdit")->setText(QStringLiteral("Editor"));
    QVERIFY(!okButton(&dialog)->isEnabled());
    child<QLineEdit>(&dialog, "commandEdit")->setText(QStringLiteral("/usr/bin/editor"));
    QVERIFY(okButton(&dialog)->isEnabled());
    child<QLineEdit>(&dialog, "labelEdit")->clear();
    QVERIFY(!okButton(&dialog)->isEnabled());
    QCOMPARE(child<QSpinBox>(&dialog, "iconIndexSpin")->maximum(), 999);
    QCOMPARE(child<QSpinBox>(&dialog, "iconIndexSpin")->minimum(), 0);
}

void DialogsTest::launchEntryChosenCommandFillsEmptyFields()
{
    test::TempDir dir;
    const QString program = stringOf(dir / "tool");
    CLaunchBarEntry entry;
    LaunchBarEntryDialog dialog(entry, m_settings);
    dialog.applyChosenCommand(program);
    QCOMPARE(child<QLineEdit>(&dialog, "commandEdit")->text(), program);
    QCOMPARE(child<QLineEdit>(&dialog, "directoryEdit")->text(), stringOf(dir.path()));
    QCOMPARE(child<QLineEdit>(&dialog, "iconPathEdit")->text(), program);

    // Fields that hold something keep it.
    child<QLineEdit>(&dialog, "directoryEdit")->setText(QStringLiteral("/work"));
    child<QLineEdit>(&dialog, "iconPathEdit")->setText(QStringLiteral("/icons/a.png"));
    dialog.applyChosenCommand(stringOf(dir / "other"));
    QCOMPARE(child<QLineEdit>(&dialog, "commandEdit")->text(), stringOf(dir / "other"));
    QCOMPARE(child<QLineEdit>(&dialog, "directoryEdit")->text(), QStringLiteral("/work"));
    QCOMPARE(child<QLineEdit>(&dialog, "iconPathEdit")->text(), QStringLiteral("/icons/a.png"));
}

void DialogsTest::launchEntryDroppedFileFillsAll()
{
    test::TempDir dir;
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(Qt::red);
    const QString png = stringOf(dir / "paint.app.png");
    QVERIFY(icon.save(png));
    CLaunchBarEntry entry;
    LaunchBarEntryDialog dialog(entry, m_settings);
    child<QLineEdit>(&dialog, "argumentsEdit")->setText(QStringLiteral("--old"));
    child<QSpinBox>(&dialog, "iconIndexSpin")->setValue(4);
    dialog.fillFromFile(png);
    QCOMPARE(child<QLineEdit>(&dialog, "labelEdit")->text(), QStringLiteral("paint.app"));
    QCOMPARE(child<QLineEdit>(&dialog, "commandEdit")->text(), png);
    QCOMPARE(child<QLineEdit>(&dialog, "directoryEdit")->text(), stringOf(dir.path()));
    QCOMPARE(child<QLineEdit>(&dialog, "iconPathEdit")->text(), png);
    QCOMPARE(child<QSpinBox>(&dialog, "iconIndexSpin")->value(), 0);
    QVERIFY(child<QLineEdit>(&dialog, "argumentsEdit")->text().isEmpty());
    // The preview shows the picture file's icon (red), not the program's.
    const QImage shown = dialog.previewIcon().pixmap(16).toImage();
    QCOMPARE(QColor(shown.pixel(8, 8)), QColor(Qt::red));
}

void DialogsTest::launchEntryOkStoresFields()
{
    CLaunchBarEntry entry;
    entry.m_showCommand = CLaunchBarEntry::kShowMaximized;
    {
        LaunchBarEntryDialog dialog(entry, m_settings);
        QVERIFY(child<QCheckBox>(&dialog, "showMaximizedBox")->isChecked());
        child<QLineEdit>(&dialog, "labelEdit")->setText(QStringLiteral("Viewer"));
        child<QLineEdit>(&dialog, "commandEdit")->setText(QStringLiteral("/usr/bin/viewer"));
        child<QLineEdit>(&dialog, "argumentsEdit")->setText(QStringLiteral("-a \"b c\""));
        child<QSpinBox>(&dialog, "iconIndexSpin")->setValue(7);
        child<QCheckBox>(&dialog, "showMaximizedBox")->setChecked(false);
        dialog.reject();
    }
    QVERIFY(entry.m_label.empty());
    LaunchBarEntryDialog dialog(entry, m_settings);
    child<QLineEdit>(&dialog, "labelEdit")->setText(QStringLiteral("Viewer"));
    child<QLineEdit>(&dialog, "commandEdit")->setText(QStringLiteral("/usr/bin/viewer"));
    child<QLineEdit>(&dialog, "argumentsEdit")->setText(QStringLiteral("-a \"b c\""));
    child<QSpinBox>(&dialog, "iconIndexSpin")->setValue(7);
    child<QCheckBox>(&dialog, "showMaximizedBox")->setChecked(false);
    QTest::mouseClick(okButton(&dialog), Qt::LeftButton);
    QCOMPARE(entry.m_label, std::string("Viewer"));
    QCOMPARE(entry.m_command, std::string("/usr/bin/viewer"));
    QCOMPARE(entry.m_arguments, std::string("-a \"b c\""));
    QCOMPARE(entry.m_iconIndex, 7);
    QCOMPARE(entry.m_showCommand, CLaunchBarEntry::kShowNormal);
}

void DialogsTest::restoreMonitorColumns()
{
    CPluginRestoreManager restore;
    restore.Add("8BFM_BLUR_00", "Blur More", "Blur");
    RestoreMonitorDialog dialog(restore, m_settings);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Restore Cache Monitor"));
    auto* list = child<QTreeWidget>(&dialog, "restoreList");
    const QStringList titles = {"ID", "Loaded", "Category", "C.Len", "Name", "N.Len"};
    const int widths[] = {150, 50, 140, 50, 160, 50};
    QCOMPARE(list->columnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(list->headerItem()->text(c), titles[c]);
        QCOMPARE(list->columnWidth(c), widths[c]);
    }
    QCOMPARE(list->topLevelItemCount(), 1);
    QTreeWidgetItem* row = list->topLevelItem(0);
    const QStringList texts = {"8BFM_BLUR_00", "???", "Blur", " 4", "Blur More", " 9"};
    for (int c = 0; c < 6; ++c)
        QCOMPARE(row->text(c), texts[c]);
    QVERIFY(row->textAlignment(3) & Qt::AlignRight);
    QVERIFY(row->textAlignment(5) & Qt::AlignRight);
    QVERIFY(!(row->textAlignment(4) & Qt::AlignRight));
}

void DialogsTest::restoreMonitorSortsByText()
{
    CPluginRestoreManager restore;
    // Keys are upper case; categories of 11, 100 and 9 characters; names
    // differing only in case.
    restore.Add("8BFM_A_00", "beta", std::string(11, 'c'));
    restore.Add("8BFM_B_00", "Beta", std::string(100, 'c'));
    restore.Add("8BFM_C_00", "alpha", std::string(9, 'c'));
    RestoreMonitorDialog dialog(restore, m_settings);
    dialog.show();
    auto* list = child<QTreeWidget>(&dialog, "restoreList");
    auto column = [&](int c) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(c);
        return out;
    };
    QCOMPARE(column(0), (QStringList{"8BFM_A_00", "8BFM_B_00", "8BFM_C_00"}));

    // Name: byte-wise and case-sensitive, upper case first.
    QHeaderView* header = list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
    QCOMPARE(column(4), (QStringList{"Beta", "alpha", "beta"}));
    // The length column sorts as text: " 9" < "100" < "11".
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
    QCOMPARE(column(3), (QStringList{" 9", "100", "11"}));
    // Always ascending: a second click keeps the order.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
    QCOMPARE(column(3), (QStringList{" 9", "100", "11"}));
    // Equal texts keep their order.
    dialog.sortByColumn(1);
    QCOMPARE(column(0), (QStringList{"8BFM_C_00", "8BFM_B_00", "8BFM_A_00"}));
}

void DialogsTest::aboutRightDoubleClickOpensMonitor()
{
    TestSession s;
    s.session->Restore().Add("8BFM_X_00", "X", "Y");
    AboutDialog about(*s.session);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseDClick(&about, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!about.findChild<RestoreMonitorDialog*>());
    QTest::mouseDClick(&about, Qt::RightButton, {}, QPoint(5, 5));
    auto* monitor = about.findChild<RestoreMonitorDialog*>();
    QVERIFY(monitor);
    QVERIFY(monitor->isVisible());
    QCOMPARE(child<QTreeWidget>(monitor, "restoreList")->topLevelItemCount(), 1);
    monitor->close();

    // A double click on one of the texts counts as well.
    QTRY_VERIFY(!about.findChild<RestoreMonitorDialog*>());
    auto* label = child<QLabel>(&about, "descriptionLabel");
    QTest::mouseDClick(label, Qt::RightButton, {}, QPoint(3, 3));
    QVERIFY(about.findChild<RestoreMonitorDialog*>());
}

void DialogsTest::tipsCycle()
{
    QVERIFY(TipDialog::tips().size() >= 8);
    TipDialog dialog(m_settings);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Tip of the day"));
    auto* label = child<QLabel>(&dialog, "tipLabel");
    const int first = dialog.currentTip();
    const QString firstText = label->text();
    QVERIFY(!firstText.isEmpty());
    QTest::mouseClick(child<QPushButton>(&dialog, "nextButton"), Qt::LeftButton);
    QCOMPARE(dialog.currentTip(), (first + 1) % TipDialog::tips().size());
    QVERIFY(label->text() != firstText);
    for (int i = 1; i < TipDialog::tips().size(); ++i)
        dialog.nextTip();
    QCOMPARE(label->text(), firstText);
    // The next opening goes on after the tip shown last.
    TipDialog again(m_settings);
    QCOMPARE(again.currentTip(), (first + 1) % TipDialog::tips().size());
}

void DialogsTest::dialogsRememberTheirSize()
{
    TestSession s;
    {
        SetupDialog dialog(*s.session);
        dialog.show();
        dialog.resize(700, 480);
        QTRY_COMPARE(dialog.size(), QSize(700, 480));
        dialog.hide();
    }
    // In the session's settings, under the name the stores have always used.
    QVERIFY(!s.backend.ReadBytes("Settings", "SetupDialog.geometry").empty());
    SetupDialog dialog(*s.session);
    QCOMPARE(dialog.size(), QSize(700, 480));
}

void DialogsTest::screenshots()
{
    // Every dialog shows something, in pictures kept where VARDEL_SHOTS says
    // for a look by eye.
    uitest::PictureShelf shelf;
    TestSession s;
    s.addDirectory("Photoshop filters");
    s.addDirectory("", true);
    s.session->Directories()[0]->m_includeSubdirectories = 1;
    s.addDirectory("Disabled ones");
    s.session->Directories()[2]->m_enabled = 0;
    s.session->Restore().Add("8BFM_BLUR_00", "Blur More", "Blur");
    s.session->Restore().Add("8BFM_SHARPEN_00", "Sharpen Edges", "Sharpen");
    auto shoot = [&](QWidget& w, const char* name) { QVERIFY2(shelf.Shoot(w, QLatin1String(name)), name); };
    SetupDialog setup(*s.session);
    selectRow(&setup, 0);
    shoot(setup, "setup");
    CPluginDirEntry newEntry;
    DirectoryDialog newDir(newEntry, s.backend);
    shoot(newDir, "directory-new");
    DirectoryDialog oldDir(*s.session->Directories()[0], s.backend);
    shoot(oldDir, "directory-existing");
    CLaunchBarEntry launch;
    LaunchBarEntryDialog launchDialog(launch, s.backend);
    launchDialog.fillFromFile(QStringLiteral("/usr/bin/gimp"));
    shoot(launchDialog, "launchbar-entry");
    AboutDialog about(*s.session);
    shoot(about, "about");
    TipDialog tip(s.backend);
    shoot(tip, "tip");
    RestoreMonitorDialog monitor(s.session->Restore(), s.backend);
    shoot(monitor, "restore-monitor");
}

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
