// The settings store of the desktop program: values round-trip through the
// INI file under their sections, the window placement keeps its ten values,
// and a placement off every screen is not used.

#include "support/TestSupport.h"
#include "ui/settings/GuiSettings.h"
#include "ui/settings/QtSettingsBackend.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace vardel;
using namespace vardel::ui;

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(IniFile()); }
    void valuesRoundTripUnderTheirSections();
    void missingValuesAreMissing();
    void stringsKeepCodePageCharacters();
    void placementKeepsTenValues();
    void noPlacementWhenNoneStored();
    void placementOnScreen_data();
    void placementOnScreen();
    void barStateAndStatusBar();
    void dialogGeometryKeepsItsStoredForm();

private:
    QString IniFile() { return QString::fromStdString((m_temp.path() / "s.ini").string()); }
    test::TempDir m_temp;
};

void SettingsTest::valuesRoundTripUnderTheirSections()
{
    {
        QtSettingsBackend backend(IniFile());
        backend.WriteInt("Settings", "ScanAll", 1);
        backend.WriteString("Settings", "Extensions", "8bf, prm");
        backend.WriteInt("Settings.Find", "bMatchCase", 1);
        QVERIFY(backend.sync());
    }
    // Another reader of the same file sees them under the section names.
    QSettings raw(IniFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/ScanAll")).toInt(), 1);
    QCOMPARE(raw.value(QStringLiteral("Settings/Extensions")).toString(), QStringLiteral("8bf, prm"));
    QCOMPARE(raw.value(QStringLiteral("Settings.Find/bMatchCase")).toInt(), 1);

    QtSettingsBackend again(IniFile());
    QCOMPARE(again.ReadInt("Settings", "ScanAll").value_or(-1), 1);
    QCOMPARE(QString::fromStdString(again.ReadString("Settings", "Extensions").value_or("")),
             QStringLiteral("8bf, prm"));
}

void SettingsTest::missingValuesAreMissing()
{
    QtSettingsBackend backend(IniFile());
    QVERIFY(!backend.ReadInt("Settings", "NoSuchValue").has_value());
    QVERIFY(!backend.ReadString("Settings.Find", "NoSuchValue").has_value());
    backend.WriteString("Settings", "NotANumber", "abc");
    QVERIFY(!backend.ReadInt("Settings", "NotANumber").has_value());
}

void SettingsTest::stringsKeepCodePageCharacters()
{
    QtSettingsBackend backend(IniFile());
    const std::string text = "Gr\xFC\xDF"
                             "e";  // "Grüße" in the 8-bit code page
    backend.WriteString("Settings.Find", "sKeyword", text);
    QCOMPARE(backend.ReadString("Settings.Find", "sKeyword").value_or(""), text);
}

void SettingsTest::placementKeepsTenValues()
{
    QtSettingsBackend backend(IniFile());
    GuiSettings settings(backend);
    WindowPlacement p;
    p.showCmd = WindowPlacement::kShowMaximized;
    p.flags = 2;
    p.minPosition = QPoint(-1, -1);
    p.maxPosition = QPoint(-8, -8);
    p.setNormalRect(QRect(10, 20, 300, 200));
    settings.savePlacement(p);

    for (const char* name : {"wp.showCmd", "wp.flags", "wp.ptMinPosition.x", "wp.ptMinPosition.y", "wp.ptMaxPosition.x",
                             "wp.ptMaxPosition.y", "wp.left", "wp.right", "wp.top", "wp.bottom"})
        QVERIFY2(backend.ReadInt("Settings", name).has_value(), name);
    QCOMPARE(backend.ReadInt("Settings", "wp.right").value_or(0), 310);
    QCOMPARE(backend.ReadInt("Settings", "wp.bottom").value_or(0), 220);

    const auto loaded = settings.loadPlacement();
    QVERIFY(loaded.has_value());
    QCOMPARE(loaded->showCmd, WindowPlacement::kShowMaximized);
    QCOMPARE(loaded->maxPosition, QPoint(-8, -8));
    QCOMPARE(loaded->normalRect(), QRect(10, 20, 300, 200));
}

void SettingsTest::noPlacementWhenNoneStored()
{
    QtSettingsBackend backend(IniFile());
    GuiSettings settings(backend);
    QVERIFY(!settings.loadPlacement().has_value());
}

void SettingsTest::placementOnScreen_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("onScreen");
    // Screens: one at the origin, one to its right.
    QTest::newRow("inside the first") << QRect(100, 100, 800, 600) << true;
    QTest::newRow("far off, above left") << QRect(QPoint(-2000, -2000), QPoint(-1001, -1001)) << false;
    QTest::newRow("one pixel on the first") << QRect(-99, -99, 100, 100) << true;
    QTest::newRow("touching the first from outside") << QRect(-100, -100, 100, 100) << false;
    QTest::newRow("on the second screen") << QRect(2000, 100, 400, 300) << true;
    QTest::newRow("below both") << QRect(100, 5000, 400, 300) << false;
    QTest::newRow("empty rectangle") << QRect(100, 100, 0, 0) << false;
}

void SettingsTest::placementOnScreen()
{
    QFETCH(QRect, rect);
    QFETCH(bool, onScreen);
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    QCOMPARE(placementIsOnScreen(rect, screens), onScreen);
}

void SettingsTest::barStateAndStatusBar()
{
    QtSettingsBackend backend(IniFile());
    GuiSettings settings(backend);
    QVERIFY(settings.loadBarState().isEmpty());
    QVERIFY(settings.loadStatusBarVisible());
    settings.saveBarState(QByteArray("\x00\x01state", 7));
    settings.saveStatusBarVisible(false);
    QCOMPARE(settings.loadBarState(), QByteArray("\x00\x01state", 7));
    QVERIFY(!settings.loadStatusBarVisible());
}

void SettingsTest::dialogGeometryKeepsItsStoredForm()
{
    // A dialog's geometry written before through QSettings as a QByteArray
    // (bytes that are no valid text among them) reads back through the
    // session's settings, and what they write QSettings reads as before.
    const QByteArray stored("\x01\xd9\xd0\xcb\x00\x03\x00\x00\xff", 9);
    {
        QSettings raw(IniFile(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Settings/SetupDialog.geometry"), stored);
    }
    {
        QtSettingsBackend backend(IniFile());
        SettingsBackend& settings = backend;
        QCOMPARE(QByteArray::fromStdString(settings.ReadBytes("Settings", "SetupDialog.geometry")), stored);
        QVERIFY(settings.ReadBytes("Settings", "NoSuchDialog.geometry").empty());
        settings.WriteBytes("Settings", "TipDialog.geometry", stored.toStdString());
        QVERIFY(backend.sync());
    }
    QSettings raw(IniFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/TipDialog.geometry")).toByteArray(), stored);
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "SettingsTest.moc"
