#pragma once
// A scripted run for documentation pictures: selects a plug-in directory
// and a plug-in, waits until the window has settled, writes a picture of the
// main window (and, when asked, of the "Plugin Details" sheet of the
// selected plug-in) and ends the program (scripts/screenshot uses it).

#include <QObject>
#include <QString>

namespace vardel::ui {

class CMainFrame;
class SessionAdapter;

class ScreenshotRun : public QObject {
    Q_OBJECT
public:
    // directory: the Directory menu's item; category and entry: rows of the
    // category and plug-in lists; file: the PNG to write; detailsFile: the
    // PNG of the sheet ("" for none).
    ScreenshotRun(CMainFrame& frame, SessionAdapter& adapter, int directory, int category, int entry, QString file,
                  QString detailsFile = {});

    // Starts the selection; the program ends with 0 when the picture was
    // written, 1 otherwise.
    void start();

private:
    void selected();
    void grab();
    // Opens the sheet of the selected plug-in; its picture is written, and
    // the program ended, once it has rendered. False when it cannot open.
    bool grabDetails();

    CMainFrame& m_frame;
    SessionAdapter& m_adapter;
    int m_directory;
    int m_category;
    int m_entry;
    QString m_file;
    QString m_detailsFile;
};

}  // namespace vardel::ui
