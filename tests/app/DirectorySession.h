#pragma once
// A writer session over a data directory of its own with one plug-in
// directory on its list, selected: the set-up of the suites that change
// plug-in files and start the program again.

#include "app/Session.h"
#include "app/Stores.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace vardel::test {

class DirectorySession {
public:
    // root: holds "data" and the plug-in directory "p".
    explicit DirectorySession(const std::filesystem::path& root)
        : m_root(root)
    {
        std::filesystem::create_directories(m_root / "data" / "setup.db");
        std::filesystem::create_directories(Plugins());
    }
    std::filesystem::path Plugins() const { return m_root / "p"; }
    DataDirectory Data() const { return {m_root / "data"}; }
    CVardelSession& Session() const { return *m_session; }

    // Starts the session, puts "p" on the list (saved) and selects it.
    void Begin()
    {
        Open();
        auto entry = std::make_unique<CPluginDirEntry>();
        entry->m_label = "P";
        entry->m_directory = Plugins().string();
        AddDirectory(Data(), m_session->Directories(), std::move(entry));
        ASSERT_TRUE(m_session->SaveDirectoryList());
        ASSERT_TRUE(m_session->SelectDirectory(0).done);
    }
    // A new program: the old one ends without a word (as when killed).
    void Restart(bool select = true)
    {
        m_session.reset();
        Open();
        if (select) {
            ASSERT_TRUE(m_session->SelectDirectory(0).done);
        }
    }
    void End() { m_session.reset(); }

private:
    void Open()
    {
        m_session = std::make_unique<CVardelSession>(Data(), m_backend);
        m_session->Start();
    }

    std::filesystem::path m_root;
    MemorySettingsBackend m_backend;
    std::unique_ptr<CVardelSession> m_session;
};

}  // namespace vardel::test
