#include "UiTestSupport.h"

#include "app/Session.h"
#include "app/Stores.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/resources/Icons.h"
#include "ui/session/DataDirectorySetup.h"
#include "ui/session/SessionAdapter.h"
#include "ui/settings/GuiSettings.h"
#include "ui/settings/QtSettingsBackend.h"
#include "ui/translations/Translations.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QImage>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <QWindow>

#include <algorithm>

namespace vardel::uitest {

namespace fs = std::filesystem;

SampleData::SampleData(const std::vector<std::string>& plugins)
{
    fs::create_directories(DataDir() / "setup.db");
    fs::create_directories(DataDir() / "images.db");
    fs::create_directories(PluginDir());
    for (const std::string& name : plugins)
        fs::copy_file(test::testPlugin(name), PluginDir() / name);
}

QString SampleData::SettingsFile() const
{
    return QString::fromStdString((m_temp / "settings.ini").string());
}

void SampleData::AddDirectory(const std::string& label, const fs::path& directory, bool subdirectories, bool separator)
{
    DataDirectory dir{DataDir()};
    DirectoryList list;
    LoadDirectoryList(dir, list);
    auto entry = std::make_unique<CPluginDirEntry>();
    entry->m_label = label;
    entry->m_directory = directory.string();
    entry->m_includeSubdirectories = subdirectories ? 1 : 0;
    entry->m_separator = separator ? 1 : 0;
    vardel::AddDirectory(dir, list, std::move(entry));
    SaveDirectoryList(dir, list);
}

std::unique_ptr<SampleData> FourFileCollection()
{
    auto sample = std::make_unique<SampleData>(
        std::vector<std::string>{"pipl_three.8bf", "pipl_nocat.8bf", "pipl_single.8bf", "ff_filter.8bf"});
    sample->AddDirectory("Test plug-ins", sample->PluginDir());
    return sample;
}

Program::Program(const SampleData& sample)
{
    ui::initResources();
    // The data directory as the program sets it up at its start.
    ui::prepareDataDirectory(QString::fromStdString(sample.DataDir().string()));
    m_backend = std::make_unique<ui::QtSettingsBackend>(sample.SettingsFile());
    m_gui = std::make_unique<ui::GuiSettings>(*m_backend);
    m_session = std::make_unique<CVardelSession>(DataDirectory{sample.DataDir()}, *m_backend);
    m_session->Start();
    m_adapter = std::make_unique<ui::SessionAdapter>(*m_session);
    m_frame = std::make_unique<ui::CMainFrame>(*m_session, *m_adapter, *m_gui);
}

Program::~Program()
{
    Close();
}

ui::CVardelView& Program::view()
{
    return *m_frame->view();
}

bool Program::SelectDirectory(int n)
{
    QAction* item = m_frame->findChild<QAction*>(QStringLiteral("directoryAction%1").arg(n));
    if (!item || !item->isEnabled())
        return false;
    if (!m_frame->isVisible()) {
        m_frame->show();
        if (!QTest::qWaitForWindowExposed(m_frame.get()))
            return false;
    }
    m_frame->activateWindow();
    if (!QTest::qWaitForWindowActive(m_frame.get()))
        return false;
    QTest::keyClick(m_frame.get(), Qt::Key_F4);
    QMenu* menu = OpenPopupMenu();
    if (!menu || !menu->actions().contains(item))
        return false;
    ClickMenuItem(menu, item);
    m_adapter->waitForScan();
    QCoreApplication::processEvents();
    // The offscreen platform leaves the closed menu active; a window manager
    // gives the main window back its activation.
    // (QWindow::isActive counts the closed menu, a transient child, as active.)
    (void)QTest::qWaitFor([menu] { return !menu->isVisible(); }, 2000);
    m_frame->windowHandle()->requestActivate();
    (void)QTest::qWaitFor([this] { return QApplication::activeWindow() == m_frame.get(); }, 2000);
    return m_session->IsCatalogueShown();
}

bool Program::SelectCategory(const QString& text)
{
    // A click on the selected item would start its label edit.
    ui::LabelListView& list = *view().categoryList();
    if (list.currentIndex().isValid() && list.currentIndex().data().toString() == text)
        return true;
    return ClickRowText(list, text);
}

bool Program::SelectPlugins(const QStringList& names)
{
    ui::CVardelView& view = this->view();
    // None: the selected rows are Ctrl-clicked away.
    if (names.isEmpty()) {
        const QModelIndexList selected = view.pluginList()->selectionModel()->selectedRows();
        for (const QModelIndex& index : selected)
            ClickRow(*view.pluginList(), index.row(), Qt::ControlModifier);
        return view.pluginList()->selectionModel()->selectedRows().isEmpty();
    }
    // A plain click on the one selected item would start its label edit.
    const QModelIndexList selected = view.pluginList()->selectionModel()->selectedRows();
    if (names.size() == 1 && selected.size() == 1 && selected.front().data().toString() == names.front())
        return true;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (!ClickRowText(*view.pluginList(), names[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier))
            return false;
    return true;
}

void Program::Close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_frame->close();
    if (m_adapter->isScanning()) {
        // The window closes once the stopped scan has ended.
        m_adapter->waitForScan();
        QTRY_VERIFY_WITH_TIMEOUT(!m_frame->isVisible(), 5000);
    }
    m_frame.reset();
    m_adapter.reset();
    m_session->Exit();
    m_backend->sync();
}

ScopedTranslation::ScopedTranslation(const QString& language)
    : m_language(language.isEmpty() ? QString() : ui::installTranslation(*QCoreApplication::instance(), language))
{}

ScopedTranslation::~ScopedTranslation()
{
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

ui::PluginDetailSheet* openDetails(Program& program, const QString& name)
{
    ui::CVardelView& view = program.view();
    const int row = RowTexts(*view.pluginModel()).indexOf(name);
    if (row < 0)
        return nullptr;
    DoubleClickRow(*view.pluginList(), row);
    return qobject_cast<ui::PluginDetailSheet*>(QApplication::activeModalWidget());
}

void ClickOk(QWidget* dialog)
{
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QVERIFY2(buttons && buttons->button(QDialogButtonBox::Ok), qPrintable(dialog->objectName()));
    ClickWidget(buttons->button(QDialogButtonBox::Ok));
}

bool FileHolds(const std::filesystem::path& file, const std::string& text)
{
    const auto bytes = test::readFile(file);
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

QMessageBox* WaitForBox(const QString& name)
{
    QMessageBox* box = nullptr;
    (void)QTest::qWaitFor(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* b = qobject_cast<QMessageBox*>(w); b && b->objectName() == name && b->isVisible()) {
                    box = b;
                    return true;
                }
            return false;
        },
        3000);
    return box;
}

QStringList RowTexts(const QAbstractItemModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, 0).data().toString();
    return texts;
}

QPoint RowCentre(QAbstractItemView& view, int row)
{
    const QModelIndex index = view.model()->index(row, 0);
    view.scrollTo(index);
    return view.visualRect(index).center();
}

void ClickRow(QAbstractItemView& view, int row, Qt::KeyboardModifiers modifiers)
{
    const QPoint at = RowCentre(view, row);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, at);
}

void DoubleClickRow(QAbstractItemView& view, int row)
{
    const QPoint at = RowCentre(view, row);
    // A double click comes after the press and release of a first click.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
}

void RightClickRow(QAbstractItemView& view, int row)
{
    const QPoint at = RowCentre(view, row);
    QWidget* top = view.window();
    const QPoint inWindow = view.viewport()->mapTo(top, at);
    QTest::mouseClick(top->windowHandle(), Qt::RightButton, {}, inWindow);
}

bool DragRow(QAbstractItemView& from, int row, QAbstractItemView& to, int targetRow)
{
    QWidget* source = from.viewport();
    QWidget* target = to.viewport();
    const QPoint start = RowCentre(from, row);
    const QPoint end = RowCentre(to, targetRow);
    QWindow* targetWindow = target->window()->windowHandle();
    const QPoint endInWindow = target->mapTo(target->window(), end);
    bool dropped = false;
    // The drag runs its own loop from the move that starts it; its moves and
    // the release come from inside that loop.
    QTimer::singleShot(50, target, [&] {
        QTest::mouseMove(targetWindow, endInWindow - QPoint(0, 2));
        QTest::qWait(50);
        QTest::mouseMove(targetWindow, endInWindow);
        QTest::qWait(50);
        QTest::mouseRelease(targetWindow, Qt::LeftButton, {}, endInWindow);
        dropped = true;
    });
    QTest::mousePress(source, Qt::LeftButton, {}, start);
    const int distance = QApplication::startDragDistance() + 4;
    QTest::mouseMove(source, start + QPoint(distance / 2, 0));
    QTest::mouseMove(source, start + QPoint(distance, 0));
    return QTest::qWaitFor([&] { return dropped; }, 3000);
}

bool ClickRowText(QAbstractItemView& view, const QString& text, Qt::KeyboardModifiers modifiers)
{
    const int row = RowTexts(*view.model()).indexOf(text);
    if (row < 0)
        return false;
    ClickRow(view, row, modifiers);
    return true;
}

void ClickWidget(QWidget* widget)
{
    // A check box or radio button answers on its indicator and text, which
    // may be narrower than the widget a layout stretched.
    QPoint at = widget->rect().center();
    if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget))
        at = QPoint(widget->style()->pixelMetric(QStyle::PM_IndicatorWidth) / 2 + 1, widget->height() / 2);
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

void ClickToolButton(ui::CMainFrame& frame, QAction* action)
{
    auto* bar = frame.findChild<QToolBar*>(QStringLiteral("mainToolBar"));
    QWidget* button = bar ? bar->widgetForAction(action) : nullptr;
    QVERIFY2(button, qPrintable(action->objectName()));
    ClickWidget(button);
}

void ClickMenuItem(QMenu* menu, QAction* action)
{
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

QAction* ActionNamed(QMenu* menu, const char* name)
{
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

bool ChooseFromMenuBar(ui::CMainFrame& frame, Qt::Key mnemonic, const char* action)
{
    frame.activateWindow();
    if (!QTest::qWaitForWindowActive(&frame))
        return false;
    QTest::keyClick(&frame, mnemonic, Qt::AltModifier);
    QMenu* menu = OpenPopupMenu();
    QAction* item = menu ? ActionNamed(menu, action) : nullptr;
    if (!item || !item->isEnabled()) {
        if (menu)
            menu->close();
        return false;
    }
    ClickMenuItem(menu, item);
    return true;
}

QMenu* OpenPopupMenu()
{
    QMenu* menu = nullptr;
    (void)QTest::qWaitFor(
        [&menu] {
            menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return menu && menu->isVisible();
        },
        2000);
    return menu;
}

QWidget* FocusWidget()
{
    return QApplication::focusWidget();
}

void PressKey(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = FocusWidget();
    if (!target)
        target = QApplication::activeWindow();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

PictureShelf::PictureShelf()
{
    const QByteArray named = qgetenv("VARDEL_SHOTS");
    if (named.isEmpty()) {
        m_temp = std::make_unique<QTemporaryDir>();
        m_dir = m_temp->path();
    } else {
        m_dir = QString::fromLocal8Bit(named);
    }
    QDir().mkpath(m_dir);
}

PictureShelf::~PictureShelf() = default;

bool PictureShelf::Shoot(QWidget& widget, const QString& name)
{
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget))
        return false;
    const QImage picture = widget.grab().toImage();
    widget.hide();
    if (picture.isNull())
        return false;
    const QRgb first = picture.pixel(0, 0);
    bool blank = true;
    for (int y = 0; y < picture.height() && blank; ++y)
        for (int x = 0; x < picture.width() && blank; ++x)
            blank = picture.pixel(x, y) == first;
    return !blank && picture.save(m_dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace vardel::uitest
