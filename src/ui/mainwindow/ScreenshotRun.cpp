#include "ui/mainwindow/ScreenshotRun.h"

#include "ui/catalogue/CategoryListModel.h"
#include "ui/catalogue/LabelListView.h"
#include "ui/catalogue/PluginListModel.h"
#include "ui/catalogue/VardelView.h"
#include "ui/mainwindow/MainFrame.h"
#include "ui/properties/PluginDetailSheet.h"
#include "ui/session/SessionAdapter.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace vardel::ui {

ScreenshotRun::ScreenshotRun(CMainFrame& frame, SessionAdapter& adapter, int directory, int category, int entry,
                             QString file, QString detailsFile)
    : QObject(&frame)
    , m_frame(frame)
    , m_adapter(adapter)
    , m_directory(directory)
    , m_category(category)
    , m_entry(entry)
    , m_file(std::move(file))
    , m_detailsFile(std::move(detailsFile))
{}

void ScreenshotRun::start()
{
    connect(&m_adapter, &SessionAdapter::scanFinished, this, &ScreenshotRun::selected, Qt::QueuedConnection);
    if (m_directory < 0) {
        QTimer::singleShot(500, this, &ScreenshotRun::grab);
        return;
    }
    if (!m_adapter.startSelect(m_directory)) {
        std::fprintf(stderr, "vardel: directory %d cannot be selected\n", m_directory);
        QTimer::singleShot(0, [] { QCoreApplication::exit(1); });
    }
}

void ScreenshotRun::selected()
{
    CVardelView* view = m_frame.view();
    if (m_category >= 0 && m_category < view->categoryModel()->rowCount())
        view->categoryList()->setCurrentIndex(view->categoryModel()->index(m_category));
    if (m_entry >= 0 && m_entry < view->pluginModel()->rowCount()) {
        view->pluginList()->setCurrentIndex(view->pluginModel()->index(m_entry));
        view->pluginList()->setFocus();
    }
    // Let previews and renderings finish and the layout settle.
    QTimer::singleShot(1500, this, &ScreenshotRun::grab);
}

void ScreenshotRun::grab()
{
    const bool ok = m_frame.grab().toImage().save(m_file, "PNG");
    if (!ok)
        std::fprintf(stderr, "vardel: cannot write %s\n", qPrintable(m_file));
    // The details picture ends the run itself.
    if (ok && !m_detailsFile.isEmpty() && grabDetails())
        return;
    QCoreApplication::exit(ok && m_detailsFile.isEmpty() ? 0 : 1);
}

bool ScreenshotRun::grabDetails()
{
    const CPluginEntry* entry = m_frame.view()->singlePlugin();
    if (!entry) {
        std::fprintf(stderr, "vardel: no single plug-in is selected for the details picture\n");
        return false;
    }
    PluginDetailSheet* sheet =
        PluginDetailSheet::openFor(m_frame.session(), *entry, PluginDetailSheet::First, &m_frame);
    if (!sheet) {
        std::fprintf(stderr, "vardel: \"Plugin Details\" does not open for this plug-in\n");
        return false;
    }
    // The picture is taken once its preview has rendered; that ends the run.
    QTimer::singleShot(2000, sheet, [this, sheet] {
        const bool written = sheet->grab().toImage().save(m_detailsFile, "PNG");
        if (!written)
            std::fprintf(stderr, "vardel: cannot write %s\n", qPrintable(m_detailsFile));
        sheet->close();
        QCoreApplication::exit(written ? 0 : 1);
    });
    return true;
}

}  // namespace vardel::ui
