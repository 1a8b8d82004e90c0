// The translations: the German .ts file is whole and matches the sources,
// every translation found is offered in Setup by its own name, and in German
// no window of the program shows an English text that has a German one.

#include "UiTestSupport.h"

#include "app/Session.h"
#include "base/SettingsKeys.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/VardelView.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/session/UserMessages.h"
#include "ui/settings/QtSettingsBackend.h"
#include "ui/translations/Translations.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>

using namespace vardel;
using namespace vardel::ui;
using vardel::uitest::Program;

namespace {

// One message of a .ts file.
struct TsMessage {
    QString context;
    QString source;
    QStringList translations;  // one, or the plural forms
    QString type;              // "", "unfinished", "vanished", "obsolete"
    bool numerus = false;
};

QList<TsMessage> ReadTs(const QString& file)
{
    QList<TsMessage> messages;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&f);
    QString context;
    TsMessage m;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            messages << m;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            m = TsMessage{
                context, {}, {}, {}, xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes")};
        } else if (xml.name() == QLatin1String("source")) {
            m.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            m.type = xml.attributes().value(QLatin1String("type")).toString();
            if (!m.numerus)
                m.translations << xml.readElementText();
        } else if (xml.name() == QLatin1String("numerusform")) {
            m.translations << xml.readElementText();
        }
    }
    return messages;
}

// The placeholders of a text ("%1", "%n"), sorted.
QStringList Placeholders(const QString& text)
{
    static const QRegularExpression placeholder(QStringLiteral("%(\\d|n)"));
    QStringList found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    found.sort();
    found.removeDuplicates();
    return found;
}

QString WithoutMnemonic(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

// Every text a person reads in a widget and its children, with where it is.
void CollectTexts(QWidget* root, QMap<QString, QString>& texts)
{
    auto add = [&texts](const QString& text, const QString& where) {
        if (!text.trimmed().isEmpty())
            texts.insert(WithoutMnemonic(text), where);
    };
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString where =
            QStringLiteral("%1 %2").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
        if (w->isWindow())
            add(w->windowTitle(), where + QStringLiteral(" (title)"));
        add(w->toolTip(), where + QStringLiteral(" (tip)"));
        if (auto* label = qobject_cast<QLabel*>(w))
            add(label->text(), where);
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            add(button->text(), where);
        if (auto* box = qobject_cast<QGroupBox*>(w))
            add(box->title(), where);
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            add(edit->placeholderText(), where + QStringLiteral(" (placeholder)"));
        if (auto* dock = qobject_cast<QDockWidget*>(w))
            add(dock->windowTitle(), where + QStringLiteral(" (dock title)"));
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i) {
                add(tabs->tabText(i), where + QStringLiteral(" (tab)"));
                add(tabs->tabToolTip(i), where + QStringLiteral(" (tab tip)"));
            }
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                add(combo->itemText(i), where + QStringLiteral(" (item)"));
        if (auto* header = qobject_cast<QHeaderView*>(w); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                add(header->model()->headerData(i, header->orientation()).toString(),
                    where + QStringLiteral(" (column)"));
        if (auto* menu = qobject_cast<QMenu*>(w))
            add(menu->title(), where + QStringLiteral(" (menu)"));
        for (QAction* a : w->actions()) {
            add(a->text(), where + QStringLiteral(" action ") + a->objectName());
            add(a->toolTip(), where + QStringLiteral(" action tip ") + a->objectName());
            add(a->statusTip(), where + QStringLiteral(" action status ") + a->objectName());
        }
    }
}

}  // namespace

class TranslationTest : public QObject {
    Q_OBJECT
private slots:
    void tsFileIsWholeAndCurrent();
    void setupOffersEveryLanguageByItsOwnName();
    void noWindowShowsEnglishInGerman();
    void aRefusedRenameSaysWhyInGerman();
};

void TranslationTest::tsFileIsWholeAndCurrent()
{
    const QList<TsMessage> messages = ReadTs(QStringLiteral(VARDEL_TS_FILE));
    QVERIFY(messages.size() > 400);
    QStringList faults;
    for (const TsMessage& m : messages) {
        const QString where = m.context + QStringLiteral(": \"") + m.source + QLatin1Char('"');
        if (!m.type.isEmpty())
            faults << where + QStringLiteral(" is ") + m.type;
        // German has two plural forms.
        if (m.translations.size() != (m.numerus ? 2 : 1))
            faults << where + QStringLiteral(" has %1 forms").arg(m.translations.size());
        for (const QString& t : m.translations) {
            if (t.isEmpty())
                faults << where + QStringLiteral(" has no translation");
            QStringList wanted = Placeholders(m.source);
            // A plural form may say the number in words ("ein").
            if (m.numerus)
                wanted.removeAll(QStringLiteral("%n"));
            QStringList got = Placeholders(t);
            got.removeAll(QStringLiteral("%n"));
            if (!m.numerus && got != wanted)
                faults << where + QStringLiteral(" loses or adds placeholders: ") + t;
            if (m.numerus &&
                !std::all_of(wanted.begin(), wanted.end(), [&](const QString& p) { return got.contains(p); }))
                faults << where + QStringLiteral(" loses placeholders: ") + t;
        }
        if (m.source.count(QLatin1Char('&')) - 2 * m.source.count(QStringLiteral("&&")) > 0 && !m.numerus &&
            !m.translations.value(0).contains(QLatin1Char('&')))
            faults << where + QStringLiteral(" loses its mnemonic: ") + m.translations.value(0);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));

    // lupdate over the sources changes nothing: no text is missing and none
    // is left over.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("vardel_de.ts"));
    QVERIFY(QFile::copy(QStringLiteral(VARDEL_TS_FILE), copy));
    QProcess lupdate;
    lupdate.setWorkingDirectory(QStringLiteral(VARDEL_UI_SOURCE_DIR));
    lupdate.start(QStringLiteral(VARDEL_LUPDATE),
                  {QStringLiteral("-no-obsolete"), QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral("-I"), QStringLiteral(VARDEL_UI_SOURCE_DIR "/.."),
                   QStringLiteral(VARDEL_UI_SOURCE_DIR), QStringLiteral("-ts"), copy});
    QVERIFY(lupdate.waitForFinished(60000));
    QCOMPARE(lupdate.exitCode(), 0);
    QFile before(QStringLiteral(VARDEL_TS_FILE));
    QFile after(copy);
    QVERIFY(before.open(QIODevice::ReadOnly) && after.open(QIODevice::ReadOnly));
    QVERIFY2(before.readAll() == after.readAll(),
             "the .ts file does not match the sources: build the vardel_lupdate target and translate");
}

void TranslationTest::setupOffersEveryLanguageByItsOwnName()
{
    QVERIFY(availableLanguages().contains(QStringLiteral("de")));
    QCOMPARE(languageName(QStringLiteral("de")), QStringLiteral("Deutsch"));
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    SetupDialog setup(program.Session(), &program.Frame());
    setup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&setup));
    auto* box = setup.findChild<QComboBox*>(QStringLiteral("languageBox"));
    QVERIFY(box);
    QStringList names;
    for (int i = 1; i < box->count(); ++i)
        names << box->itemText(i);
    QStringList expected{QStringLiteral("English")};
    for (const QString& code : availableLanguages())
        expected << languageName(code);
    QCOMPARE(names, expected);
    QCOMPARE(box->currentIndex(), 0);

    // Chosen with the keys, kept with OK, read at the next start.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    QCOMPARE(box->currentData().toString(), availableLanguages().constLast());
    uitest::ClickOk(&setup);
    QCOMPARE(QString::fromStdString(
                 program.backend().ReadString(settings_keys::kSettings, settings_keys::kLanguage).value_or("")),
             availableLanguages().constLast());
}

void TranslationTest::noWindowShowsEnglishInGerman()
{
    // The English texts that German says otherwise.
    QSet<QString> english;
    for (const TsMessage& m : ReadTs(QStringLiteral(VARDEL_TS_FILE)))
        if (!m.numerus && WithoutMnemonic(m.translations.value(0)) != WithoutMnemonic(m.source))
            english.insert(WithoutMnemonic(m.source));
    QVERIFY(!english.isEmpty());

    const uitest::ScopedTranslation translation(QStringLiteral("de"));
    QCOMPARE(translation.Language(), QStringLiteral("de"));
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    CMainFrame& frame = program.Frame();
    CVardelView& view = program.view();
    QMap<QString, QString> texts;
    CollectTexts(&frame, texts);

    // The context menus as a right click opens them.
    for (LabelListView* list : {view.pluginList(), view.categoryList()}) {
        uitest::RightClickRow(*list, 0);
        QMenu* menu = uitest::OpenPopupMenu();
        QVERIFY(menu);
        CollectTexts(menu, texts);
        menu->close();
    }

    // Every plug-in's detail sheet, every page.
    for (int c = 0; c < view.categoryList()->model()->rowCount(); ++c) {
        uitest::ClickRow(*view.categoryList(), c);
        QTRY_VERIFY(view.categoryList()->isIdle());
        for (int p = 0; p < view.pluginList()->model()->rowCount(); ++p) {
            uitest::DoubleClickRow(*view.pluginList(), p);
            PluginDetailSheet* sheet = nullptr;
            QTRY_VERIFY((sheet = qobject_cast<PluginDetailSheet*>(QApplication::activeModalWidget())));
            for (int i = 0; i < sheet->tabs()->count(); ++i) {
                QTabBar* bar = sheet->tabs()->tabBar();
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
                QTRY_COMPARE(sheet->tabs()->currentIndex(), i);
                CollectTexts(sheet, texts);
            }
            sheet->reject();
            QTRY_VERIFY(!QApplication::activeModalWidget());
        }
    }

    // The tools and dialogs the menus open.
    for (const char* name : {"setupAction", "findAction", "aboutAction", "tipAction", "duplicatesAction",
                             "historyAction", "troublemakerAction", "exportAction"}) {
        auto* action = frame.findChild<QAction*>(QLatin1String(name));
        QVERIFY2(action, name);
        const QWidgetList before = QApplication::topLevelWidgets();
        action->trigger();
        QTest::qWait(100);
        int opened = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (before.contains(w) || !w->isVisible())
                continue;
            ++opened;
            CollectTexts(w, texts);
            // A dialog's own dialogs: Setup's directory dialog.
            if (auto* add = w->findChild<QAbstractButton*>(QStringLiteral("addButton"))) {
                const QWidgetList inner = QApplication::topLevelWidgets();
                uitest::ClickWidget(add);
                QTest::qWait(100);
                for (QWidget* d : QApplication::topLevelWidgets())
                    if (!inner.contains(d) && d->isVisible()) {
                        CollectTexts(d, texts);
                        if (auto* dialog = qobject_cast<QDialog*>(d))
                            dialog->reject();
                    }
            }
            if (auto* dialog = qobject_cast<QDialog*>(w))
                dialog->reject();
            else
                w->close();
        }
        QVERIFY2(opened > 0, name);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    QStringList englishShown;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        if (english.contains(it.key()))
            englishShown << QStringLiteral("%1: \"%2\"").arg(it.value(), it.key());
    QVERIFY2(englishShown.isEmpty(), qPrintable(englishShown.join(QLatin1Char('\n'))));
    // The windows were there to be read.
    QVERIFY(texts.size() > 150);
}

void TranslationTest::aRefusedRenameSaysWhyInGerman()
{
    const uitest::ScopedTranslation translation(QStringLiteral("de"));
    QCOMPARE(translation.Language(), QStringLiteral("de"));
    auto sample = uitest::FourFileCollection();
    Program program(*sample);
    QVERIFY(program.SelectDirectory(0));
    QVERIFY(program.SelectCategory(QStringLiteral("Shared Cat")));
    QVERIFY(program.SelectPlugins({QStringLiteral("Alpha One")}));
    LabelListView* plugins = program.view().pluginList();
    const QString before = plugins->model()->index(0, 0).data().toString();

    // F2, two characters, Return: the core refuses with a code, and the
    // status bar words it in German.
    QTest::keyClick(plugins, Qt::Key_F2);
    QLineEdit* edit = nullptr;
    QTRY_VERIFY((edit = plugins->findChild<QLineEdit*>(QStringLiteral("labelEdit"))));
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Ab"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(program.Frame().statusBar()->currentMessage(),
                              QStringLiteral("Es sind mindestens 3 Zeichen nötig."), 3000);
    QCOMPARE(plugins->model()->index(0, 0).data().toString(), before);
    // A refusal with an argument keeps it in the German text.
    QCOMPARE(RefusalText(EditCode::TooLongFor, {"11"}), QStringLiteral("Höchstens 11 Zeichen sind erlaubt."));
}

QTEST_MAIN(TranslationTest)
#include "TranslationTest.moc"
