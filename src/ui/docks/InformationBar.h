#pragma once
// The plug-in information bar: author (of a Filter Factory filter),
// description and file of the plug-in selected in the main view.

#include "catalogue/PluginEntry.h"

#include <QVector>
#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace vardel {
class CVardelSession;
}

namespace vardel::ui {

class InformationBar : public QWidget {
    Q_OBJECT
public:
    InformationBar(vardel::CVardelSession& session, QWidget* parent = nullptr);

    // The plug-in shown, null when none.
    const vardel::CPluginEntry* plugin() const { return m_plugin; }
    // The full path shown after "Filename:".
    QString filename() const { return m_filename; }

public slots:
    // Shows a plug-in's information. Nothing changes for null (no single
    // plug-in selected) or for the plug-in shown already. A description
    // that came from the plug-in file is stored in the description database
    // and the database is saved.
    void showPlugin(const vardel::CPluginEntry* plugin);
    // Reads the shown plug-in's information again (its description changed).
    void reload();
    // These entries changed (name, state, path): the shown one is read again.
    void entriesChanged(const QVector<const vardel::CPluginEntry*>& entries);
    // The description under this key changed: read again when it is the
    // shown plug-in's.
    void descriptionChanged(const std::string& key);
    // Empties the fields and forgets the plug-in (the catalogue goes away).
    void clear();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showFilename();

    vardel::CVardelSession& m_session;
    const vardel::CPluginEntry* m_plugin = nullptr;
    QLineEdit* m_author;
    QPlainTextEdit* m_description;
    QLabel* m_file;
    QString m_filename;
};

}  // namespace vardel::ui
