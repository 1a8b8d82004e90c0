#include "UiTestSupport.h"

#include "app/Session.h"
#include "app/Stores.h"
#include "catalogue/CategoryListModel.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/LabelListView.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListModel.h"
#include "catalogue/VardelView.h"
#include "mainwindow/MainFrame.h"
#include "resources/Icons.h"
#include "session/SessionAdapter.h"
#include "settings/GuiSettings.h"
#include "settings/QtSettingsBackend.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTest>

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

void SampleData::AddDirectory(const std::string& label, const fs::path& directory, bool subdirectories,
                              bool separator)
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

Program::Program(const SampleData& sample)
{
    ui::InitResources();
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

ui::CVardelView& Program::View()
{
    return *m_frame->View();
}

bool Program::SelectDirectory(int n)
{
    QAction* item = m_frame->findChild<QAction*>(QStringLiteral("directoryAction%1").arg(n));
    if (!item || !item->isEnabled())
        return false;
    item->trigger();
    m_adapter->WaitForScan();
    QCoreApplication::processEvents();
    return m_session->IsCatalogueShown();
}

bool Program::SelectCategory(const QString& text)
{
    ui::CVardelView& view = View();
    const QStringList rows = RowTexts(*view.CategoryModel());
    const int row = rows.indexOf(text);
    if (row < 0)
        return false;
    view.CategoryList()->setCurrentIndex(view.CategoryModel()->index(row));
    return true;
}

bool Program::SelectPlugins(const QStringList& names)
{
    ui::CVardelView& view = View();
    const QStringList rows = RowTexts(*view.PluginModel());
    QItemSelection selection;
    for (const QString& name : names) {
        const int row = rows.indexOf(name);
        if (row < 0)
            return false;
        selection.select(view.PluginModel()->index(row), view.PluginModel()->index(row));
    }
    view.PluginList()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    return true;
}

void Program::Close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_frame->close();
    if (m_adapter->IsScanning()) {
        // The window closes once the stopped scan has ended.
        m_adapter->WaitForScan();
        QTRY_VERIFY_WITH_TIMEOUT(!m_frame->isVisible(), 5000);
    }
    m_frame.reset();
    m_adapter.reset();
    m_session->Exit();
    m_backend->Sync();
}

QStringList RowTexts(const QAbstractItemModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, 0).data().toString();
    return texts;
}

}  // namespace vardel::uitest
