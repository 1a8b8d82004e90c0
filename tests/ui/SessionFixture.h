#pragma once
// What the suites of the program's windows share: a data directory with
// "setup.db" and "images.db" below a temporary directory, a session over
// it, and the look-up of a window's parts by object name.

#include "app/Session.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "support/TestSupport.h"

#include <QLatin1String>
#include <QWidget>
#include <QtGlobal>

#include <filesystem>
#include <memory>
#include <string>

namespace vardel::test {

struct SessionFixture {
    TempDir dir;
    MemorySettingsBackend backend;
    std::unique_ptr<CVardelSession> session;

    // Starts the session unless start is false (call start() then).
    explicit SessionFixture(bool start = true)
    {
        std::filesystem::create_directories(dir / "setup.db");
        std::filesystem::create_directories(dir / "images.db");
        if (start)
            this->start();
    }
    void start()
    {
        session = std::make_unique<CVardelSession>(DataDirectory{dir.path()}, backend);
        session->Start();
    }
    // Reads a test plug-in into the catalogue; returns its first entry, or
    // null when it gave none.
    const CPluginEntry* add(const std::string& file)
    {
        CPluginListManager& catalogue = session->Catalogue();
        const std::size_t before = catalogue.m_entries.size();
        CPluginReader reader(catalogue, session->Restore(), session->PimiCache());
        if (reader.ReadFile(testPlugin(file).string(), true) <= 0 || catalogue.m_entries.size() <= before)
            return nullptr;
        return catalogue.m_entries[before].get();
    }
};

// The child of parent with that object name; ends the test run when there
// is none.
template <typename T>
T* child(QWidget* parent, const char* name)
{
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

}  // namespace vardel::test
