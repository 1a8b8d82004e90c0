// The window as a collector with 50,000 plug-in files feels it: the real
// main window (offscreen) over a generated collection of 50,000 files with
// about 73,000 plug-ins, one category of 11,600 of them and four of 3,300 to
// 5,400, driven by mouse and key events as a person makes them. For every
// operation it reports the longest time the window thread did not get back
// to its event loop (a 1 ms heartbeat timer on that thread: the longest gap
// between two beats), against the 100 ms a click may take before the window
// answers, and the resident memory after the operations that change it.
//
// The collection is made once by copying and byte-editing linked test
// plug-ins (testdata/plugins of the build directory, or
// $VARDEL_TEST_DATA/plugins) and kept in the build directory
// (bench-window-collection); each run starts with a fresh data directory.
// Not run by ctest: it takes a minute or two.

#include "BenchPlugins.h"

#include "app/FreeMemory.h"
#include "app/Session.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/find/FindDialog.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/resources/Icons.h"
#include "ui/session/SessionAdapter.h"
#include "ui/settings/GuiSettings.h"
#include "ui/settings/QtSettingsBackend.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <malloc.h>
#include <time.h>
#include <unistd.h>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

constexpr double kBudgetMs = 100.0;
constexpr int kFiles = 50000;
constexpr int kSmallFiles = 1000;
// The categories of the big collection that the collector had.
constexpr int kBigCategory = 11600;
constexpr int kMediumCategories[] = {5400, 4600, 3900, 3300};
constexpr const char* kCollectionVersion = "2";

// ---- the collection ---------------------------------------------------------------

std::vector<char> ReadTemplate(const char* name)
{
    std::ifstream in(bench::TemplateDir() / name, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Overwrites every length-prefixed copy of text with replacement (of the same length).
void Replace(std::vector<char>& bytes, const std::string& text, const std::string& replacement)
{
    if (replacement.size() != text.size())
        throw std::runtime_error("replacement of another length: " + replacement);
    for (auto it = bytes.begin(); (it = std::search(it, bytes.end(), text.begin(), text.end())) != bytes.end(); ++it)
        if (it != bytes.begin() && static_cast<unsigned char>(*(it - 1)) == text.size())
            std::copy(replacement.begin(), replacement.end(), it);
}

// "prefix" and number, zero-padded to width characters.
std::string Numbered(const std::string& prefix, long number, std::size_t width)
{
    std::string digits = std::to_string(number);
    return prefix + std::string(width - prefix.size() - digits.size(), '0') + digits;
}

void Write(const fs::path& file, const std::vector<char>& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

// The mix of the 50,000 files: filters in categories of every size, PiMI and
// Filter Factory filters, Premiere modules and general plug-ins.
void MakeBig(const fs::path& dir)
{
    const auto single = ReadTemplate("pipl_single.8bf");
    const auto three = ReadTemplate("pipl_three.8bf");
    const auto pimi = ReadTemplate("pimi_filter.8bf");
    const auto ff = ReadTemplate("ff_filter.8bf");
    const auto premiere = ReadTemplate("premiere_filter.prm");
    const auto kinds = ReadTemplate("pipl_kinds.8bf");
    if (single.empty() || three.empty() || pimi.empty() || ff.empty() || premiere.empty() || kinds.empty())
        throw std::runtime_error("test plug-ins missing in " + bench::TemplateDir().string());
    // Categories of pipl_single files: the big one, the medium ones, then
    // 300 small ones for the rest.
    // Which files hold a single PiPL filter: 17 of every 25, and the last
    // thousand.
    auto isSingle = [](int i) { return i % 25 <= 16 || i >= kFiles - 1000; };
    int singles = 0;
    for (int i = 0; i < kFiles; ++i)
        singles += isSingle(i) ? 1 : 0;
    std::vector<int> categoryOfSingle;
    categoryOfSingle.insert(categoryOfSingle.end(), kBigCategory, 0);
    for (int m = 0; m < 4; ++m)
        categoryOfSingle.insert(categoryOfSingle.end(), kMediumCategories[m], 1 + m);
    for (int i = static_cast<int>(categoryOfSingle.size()); i < singles; ++i)
        categoryOfSingle.push_back(100 + i % 300);
    // Spread over the directory as a real collection would be.
    std::mt19937 rng(18);
    std::shuffle(categoryOfSingle.begin(), categoryOfSingle.end(), rng);

    fs::create_directories(dir);
    int nextSingle = 0;
    for (int i = 0; i < kFiles; ++i) {
        const int kind = i % 25;  // 17..20 three, 21 PiMI, 22 Filter Factory, 23 Premiere, 24 kinds
        std::vector<char> bytes;
        std::string name = Numbered("p", i, 6);
        if (isSingle(i)) {
            bytes = single;
            Replace(bytes, "Vardel Test",
                    Numbered("Cat ", categoryOfSingle[static_cast<std::size_t>(nextSingle++)], 11));
            Replace(bytes, "Soft Glow", Numbered("G", i, 9));
            name += ".8bf";
        } else if (kind <= 20) {
            bytes = three;
            Replace(bytes, "Shared Cat", Numbered("Cat ", i % 200, 10));
            Replace(bytes, "Other Cat", Numbered("Cat ", 500 + i % 100, 9));
            Replace(bytes, "Alpha One", Numbered("A", i, 9));
            Replace(bytes, "Beta Two", Numbered("B", i, 8));
            Replace(bytes, "Gamma Three", Numbered("C", i, 11));
            name += ".8bf";
        } else if (kind == 21) {
            bytes = pimi;
            name += ".8bf";
        } else if (kind == 22) {
            bytes = ff;
            name += ".8bf";
        } else if (kind == 23) {
            bytes = premiere;
            name += ".prm";
        } else {
            bytes = kinds;
            name += ".8bf";
        }
        Write(dir / name, bytes);
    }
}

void MakeSmall(const fs::path& dir)
{
    const auto single = ReadTemplate("pipl_single.8bf");
    fs::create_directories(dir);
    for (int i = 0; i < kSmallFiles; ++i) {
        auto bytes = single;
        Replace(bytes, "Vardel Test", Numbered("Small ", i % 20, 11));
        Replace(bytes, "Soft Glow", Numbered("S", i, 9));
        Write(dir / (Numbered("s", i, 5) + ".8bf"), bytes);
    }
}

// The collections, made unless the build directory holds them already.
fs::path Collections()
{
    const fs::path root = fs::canonical("/proc/self/exe").parent_path().parent_path() / "bench-window-collection";
    const fs::path stamp = root / "complete";
    std::ifstream in(stamp);
    std::string version;
    if (in >> version && version == kCollectionVersion)
        return root;
    std::printf("Making the collections in %s (once)...\n", root.string().c_str());
    std::fflush(stdout);
    fs::remove_all(root);
    MakeBig(root / "big");
    MakeSmall(root / "small");
    std::ofstream(stamp) << kCollectionVersion << '\n';
    return root;
}

// ---- measuring --------------------------------------------------------------------

double Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double ThreadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long ResidentKb()
{
    std::ifstream in("/proc/self/statm");
    long size = 0, resident = 0;
    in >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A beat on the window thread every millisecond: the longest gap between
// two beats is the longest time the thread was away from its event loop.
class Heartbeat : public QObject {
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] { Beat(); });
    }
    void Start()
    {
        m_worst = m_worstCpu = 0;
        m_last = Now();
        m_lastCpu = ThreadCpu();
        m_timer.start();
    }
    void Stop()
    {
        Beat();
        m_timer.stop();
    }
    double Worst() const { return m_worst; }
    double WorstCpu() const { return m_worstCpu; }

private:
    void Beat()
    {
        const double now = Now();
        const double cpu = ThreadCpu();
        if (now - m_last > m_worst) {
            m_worst = now - m_last;
            m_worstCpu = cpu - m_lastCpu;
        }
        m_last = now;
        m_lastCpu = cpu;
    }

    QTimer m_timer;
    double m_last = 0, m_lastCpu = 0, m_worst = 0, m_worstCpu = 0;
};

struct Line {
    std::string operation;
    double worst = 0;
    double cpu = 0;
};

std::vector<Line> g_lines;
Heartbeat* g_heartbeat = nullptr;

// Lets the window's event loop run for ms milliseconds: the harness itself
// never keeps the heartbeat from beating.
void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    // What the window let go of while no loop of its own ran goes now, as
    // in the program's own loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Lets the window work until done() holds (or limitMs passed), then a
// little more, so that what an operation queued is measured with it.
bool Spin(const std::function<bool()>& done, int limitMs = 120000, int settleMs = 250)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return false;
        Wait(1);
    }
    Wait(settleMs);
    return true;
}

void Measure(const std::string& operation, const std::function<void()>& run)
{
    g_heartbeat->Start();
    run();
    g_heartbeat->Stop();
    g_lines.push_back({operation, g_heartbeat->Worst(), g_heartbeat->WorstCpu()});
    std::printf("  measured: %-72s %8.1f ms\n", operation.c_str(), g_heartbeat->Worst());
    std::fflush(stdout);
}

struct Memory {
    std::string moment;
    long residentKb = 0;
    long usedKb = 0;  // allocated and not freed
};
std::vector<Memory> g_heap;

void Remember(const std::string& moment)
{
    Wait(500);
    const struct mallinfo2 info = mallinfo2();
    g_heap.push_back({moment, ResidentKb(), static_cast<long>((info.uordblks + info.hblkhd) / 1024)});
}

// ---- input as a person makes it ---------------------------------------------------

QPoint RowCentre(QAbstractItemView& view, int row)
{
    const QModelIndex index = view.model()->index(row, 0);
    view.scrollTo(index);
    return view.visualRect(index).center();
}

void ClickRow(QAbstractItemView& view, int row)
{
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, RowCentre(view, row));
}

void Hover(QAbstractItemView& view, int row)
{
    const QPoint at = RowCentre(view, row);
    QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
}

QMenu* PopupMenu()
{
    QMenu* menu = nullptr;
    Spin([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) && menu->isVisible(); }, 3000,
         0);
    return menu;
}

void ClickMenuItem(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            return;
        }
    std::string items;
    for (QAction* action : menu->actions())
        items += " [" + action->text().toStdString() + "]";
    throw std::runtime_error("no menu item " + text.toStdString() + " in " + menu->objectName().toStdString() + items);
}

void RightClickRow(QAbstractItemView& view, int row)
{
    const QPoint at = RowCentre(view, row);
    QWidget* top = view.window();
    QTest::mouseClick(top->windowHandle(), Qt::RightButton, {}, view.viewport()->mapTo(top, at));
}

QMessageBox* Box(const QString& name)
{
    QMessageBox* box = nullptr;
    Spin(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* b = qobject_cast<QMessageBox*>(w); b && b->objectName() == name && b->isVisible())
                    box = b;
            return box != nullptr;
        },
        30000, 0);
    return box;
}

// ---- the program ------------------------------------------------------------------

class Program {
public:
    explicit Program(const fs::path& data)
        : m_data(data)
    {
        m_backend = std::make_unique<ui::QtSettingsBackend>(QString::fromStdString((data / "settings.ini").string()));
        m_gui = std::make_unique<ui::GuiSettings>(*m_backend);
        m_session = std::make_unique<CVardelSession>(DataDirectory{data}, *m_backend);
        m_session->Start();
        m_adapter = std::make_unique<ui::SessionAdapter>(*m_session);
        m_frame = std::make_unique<ui::CMainFrame>(*m_session, *m_adapter, *m_gui);
        m_frame->resize(1180, 760);
        m_frame->show();
        (void)QTest::qWaitForWindowExposed(m_frame.get());
        m_frame->activateWindow();
        (void)QTest::qWaitForWindowActive(m_frame.get());
    }
    ~Program() { Close(); }

    ui::CMainFrame& Frame() { return *m_frame; }
    // The window takes the keys again (after a menu or a dialog closed).
    void Activate()
    {
        m_frame->activateWindow();
        m_frame->windowHandle()->requestActivate();
        Spin([this] { return QApplication::activeWindow() == m_frame.get(); }, 2000, 0);
    }
    ui::CVardelView& view() { return *m_frame->view(); }
    ui::SessionAdapter& Adapter() { return *m_adapter; }
    CVardelSession& Session() { return *m_session; }

    // F4, and a click on directory n of the menu: the first reaction.
    void ChooseDirectory(int n)
    {
        Activate();
        QTest::keyClick(m_frame.get(), Qt::Key_F4);
        QMenu* menu = PopupMenu();
        if (!menu)
            throw std::runtime_error("the Directory menu did not open");
        QAction* item = m_frame->findChild<QAction*>(QStringLiteral("directoryAction%1").arg(n));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }
    bool waitForScan()
    {
        return Spin([this] { return !m_adapter->isScanning(); });
    }

    void Close()
    {
        if (!m_frame)
            return;
        m_frame->close();
        Spin([this] { return !m_frame->isVisible(); }, 60000, 0);
        m_frame.reset();
        m_adapter.reset();
        m_session->Exit();
        m_backend->sync();
        m_session.reset();
    }

private:
    fs::path m_data;
    std::unique_ptr<ui::QtSettingsBackend> m_backend;
    std::unique_ptr<ui::GuiSettings> m_gui;
    std::unique_ptr<CVardelSession> m_session;
    std::unique_ptr<ui::SessionAdapter> m_adapter;
    std::unique_ptr<ui::CMainFrame> m_frame;
};

int rowOf(const QAbstractItemModel& model, const QString& text)
{
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.index(row, 0).data().toString() == text)
            return row;
    throw std::runtime_error("no row " + text.toStdString());
}

QString CategoryName(int n)
{
    return QString::fromStdString(Numbered("Cat ", n, 11));
}

void Run(const fs::path& collections, const fs::path& data)
{
    // The data directory: the big collection and the small one.
    fs::create_directories(data / "setup.db");
    fs::create_directories(data / "images.db");
    {
        DataDirectory dir{data};
        DirectoryList list;
        for (const auto& [label, path] :
             {std::pair<std::string, fs::path>{"Collection", collections / "big"}, {"Small", collections / "small"}}) {
            auto entry = std::make_unique<CPluginDirEntry>();
            entry->m_label = label;
            entry->m_directory = path.string();
            AddDirectory(dir, list, std::move(entry));
        }
        SaveDirectoryList(dir, list);
    }

    auto program = std::make_unique<Program>(data);
    Remember("at start");
    QElapsedTimer scanClock;
    Measure("first scan of 50,000 files: while it runs and at its end", [&] {
        scanClock.start();
        program->ChooseDirectory(0);
        program->waitForScan();
    });
    const std::size_t plugins = program->Session().Catalogue().m_entries.size();
    std::printf("  (%zu plug-ins; the scan took %.1f s)\n", plugins, scanClock.elapsed() / 1000.0);
    Remember("after the first scan");

    ui::CVardelView& view = program->view();
    ui::LabelListView& categories = *view.categoryList();
    ui::LabelListView& list = *view.pluginList();
    Measure("first selection of the 11,600-plug-in category (click)", [&] {
        ClickRow(categories, rowOf(*view.categoryModel(), CategoryName(0)));
        Spin([] { return true; });
    });
    std::printf("  (%d plug-ins listed)\n", view.pluginModel()->rowCount());
    Measure("first selection of categories of 3,300-5,400 plug-ins (click)", [&] {
        for (int m = 1; m <= 4; ++m) {
            ClickRow(categories, rowOf(*view.categoryModel(), CategoryName(m)));
            Wait(50);
        }
        Spin([] { return true; });
    });
    Measure("selecting categories by key (Down, 30 times)", [&] {
        ClickRow(categories, 0);
        for (int i = 0; i < 30; ++i) {
            QTest::keyClick(&categories, Qt::Key_Down);
            Wait(10);
        }
        Spin([] { return true; });
    });
    Measure("hovering over 40 categories (status and tool tips)", [&] {
        ClickRow(categories, rowOf(*view.categoryModel(), CategoryName(0)));
        Wait(50);
        const int big = rowOf(*view.categoryModel(), CategoryName(0));
        for (int i = 0; i < 40; ++i) {
            Hover(categories, (big + i) % view.categoryModel()->rowCount());
            Wait(5);
        }
        Spin([] { return true; });
    });
    Measure("paging through the 11,600-plug-in list (Page Down, 20 times)", [&] {
        ClickRow(list, 0);
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(&list, Qt::Key_PageDown);
            Wait(10);
        }
        Spin([] { return true; });
    });
    program->Activate();
    Measure("selecting all 11,600 plug-ins (Ctrl+A)", [&] {
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
        Spin([] { return true; });
    });
    const int big = rowOf(*view.categoryModel(), CategoryName(0));
    Measure("renaming the 11,600-plug-in category: F2 until its edit box shows", [&] {
        ClickRow(categories, big);
        Wait(50);
        QTest::keyClick(&categories, Qt::Key_F2);
        QLineEdit* edit = nullptr;
        Spin([&] { return (edit = categories.findChild<QLineEdit*>(QStringLiteral("labelEdit"))) != nullptr; });
        if (edit)
            QTest::keyClick(edit, Qt::Key_Escape);
        Spin([&] {
            auto* open = categories.findChild<QLineEdit*>(QStringLiteral("labelEdit"));
            return !open || !open->isVisible();
        });
    });
    Measure("disabling the 11,600-plug-in category: until its question shows", [&] {
        RightClickRow(categories, big);
        QMenu* menu = PopupMenu();
        if (!menu)
            throw std::runtime_error("no context menu");
        ClickMenuItem(menu, QStringLiteral("&Disable"));
        if (QMessageBox* box = Box(QStringLiteral("categoryQuestion")))
            QTest::keyClick(box, Qt::Key_Escape);
        Spin([] { return true; });
    });
    Measure("moving the 11,600-plug-in category: until Enter Category shows", [&] {
        RightClickRow(categories, big);
        QMenu* menu = PopupMenu();
        if (!menu)
            throw std::runtime_error("no context menu");
        ClickMenuItem(menu, QStringLiteral("&Move..."));
        QDialog* dialog = nullptr;
        Spin([&] { return (dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) != nullptr; });
        if (dialog)
            QTest::keyClick(dialog, Qt::Key_Escape);
        Spin([] { return !QApplication::activeModalWidget(); });
    });
    Remember("after the category operations");

    // Find with tens of thousands of hits.
    ui::FindDialog* find = nullptr;
    program->Activate();
    Measure("Find: opening it (Ctrl+F)", [&] {
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_F, Qt::ControlModifier);
        Spin([&] { return (find = qobject_cast<ui::FindDialog*>(QApplication::activeModalWidget())) != nullptr; });
    });
    if (!find)
        throw std::runtime_error("Find did not open");
    auto* keyword = find->findChild<QLineEdit*>(QStringLiteral("keywordEdit"));
    auto* hits = find->findChild<QTreeView*>(QStringLiteral("resultList"));
    Measure("Find: searching \"cat\" until its hits are listed", [&] {
        keyword->setFocus();
        QTest::keyClick(keyword, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(keyword, QStringLiteral("cat"));
        QTest::keyClick(keyword, Qt::Key_Return);
        Spin([&] { return !find->isSearching(); });
    });
    const int found = hits->model()->rowCount();
    std::printf("  (%d hits)\n", found);
    Remember("with Find's hits");
    const char* columns[] = {"Title", "Category", "Filename"};
    for (int c : {0, 1, 2}) {
        Measure(std::string("Find: sorting the hits by ") + columns[c] + " (header click)", [&] {
            QHeaderView* header = hits->header();
            const QRect section(header->sectionViewportPosition(c), 0, header->sectionSize(c), header->height());
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, section.center());
            Spin([] { return true; });
        });
    }
    Measure("Find: paging through the hits (Page Down, 20 times)", [&] {
        hits->setFocus();
        ClickRow(*hits, 0);
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(hits, Qt::Key_PageDown);
            Wait(10);
        }
        Spin([] { return true; });
    });
    Measure("Find: closing it (Esc)", [&] {
        QTest::keyClick(find, Qt::Key_Escape);
        Spin([] { return !QApplication::activeModalWidget(); });
    });
    Remember("after Find was closed");

    Measure("choosing the shown directory again: first reaction and the refresh", [&] {
        program->ChooseDirectory(0);
        program->waitForScan();
    });
    Remember("after choosing the directory again");
    Measure("choosing another directory (1,000 files): first reaction and its scan", [&] {
        program->ChooseDirectory(1);
        program->waitForScan();
    });
    Remember("with the other directory");
    Measure("choosing the big directory again: first reaction and the refresh", [&] {
        program->ChooseDirectory(0);
        program->waitForScan();
    });
    Remember("after choosing the big directory again");
    program->ChooseDirectory(0);
    program->waitForScan();
    Remember("after choosing it once more");
    Measure("leaving: closing the window (waits for the saves; may take long)", [&] { program->Close(); });
    program.reset();

    program = std::make_unique<Program>(data);
    Measure("the refresh after a restart: while it runs and at its end", [&] {
        program->ChooseDirectory(0);
        program->waitForScan();
    });
    Remember("after the refresh after a restart");
    program->Close();
}

}  // namespace

int main(int argc, char** argv)
{
    // As the program starts.
    KeepHeapSmall();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::initResources();
    if (!fs::is_directory(bench::TemplateDir())) {
        std::fprintf(stderr, "test plug-ins not found in %s (build the target vardel_test_plugins)\n",
                     bench::TemplateDir().string().c_str());
        return 1;
    }
    fs::path data;
    try {
        const fs::path collections = Collections();
        std::random_device rd;
        data = fs::temp_directory_path() / ("vardel-bench-window-" + std::to_string(rd()));
        g_heartbeat = new Heartbeat;
        Run(collections, data);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_window: %s\n", e.what());
        std::error_code ec;
        fs::remove_all(data, ec);
        return 1;
    }
    std::error_code ec;
    fs::remove_all(data, ec);

    std::printf("\nLongest stall of the window thread per operation (1 ms heartbeat; CPU: the window thread's\n"
                "own time within that stall):\n");
    for (const Line& line : g_lines)
        std::printf("%-80s %7.1f ms (CPU %6.1f ms): %.2fx the 100 ms budget\n", line.operation.c_str(), line.worst,
                    line.cpu, line.worst / kBudgetMs);
    std::printf("\nMemory: resident, and of it allocated and not freed:\n");
    for (const Memory& m : g_heap)
        std::printf("%-80s %7.1f MiB resident, %7.1f MiB allocated\n", m.moment.c_str(), m.residentKb / 1024.0,
                    m.usedKb / 1024.0);
    return 0;
}
