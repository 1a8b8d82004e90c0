#include "app/Application.h"
#include "app/MemorySettingsBackend.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

TEST(Settings, DefaultsWhenNothingIsStored)
{
    MemorySettingsBackend backend;
    Settings s = LoadSettings(backend);
    EXPECT_EQ(s.transparency, 1);
    EXPECT_EQ(s.previewSize, 0);
    EXPECT_EQ(s.previewImage, "Portrait.bmp");
    EXPECT_EQ(s.scanAll, 0);
    EXPECT_EQ(s.extensions, "8bf, 8ba, 8be, 8bi, 8bx, 8by, 8bs, 8bp, aex, prm, eff, aip");
}

TEST(Settings, SavedInOrderUnderTheirNamesAndReadBack)
{
    MemorySettingsBackend backend;
    Settings s;
    s.transparency = 0;
    s.previewSize = 2;
    s.previewImage = "Other.bmp";
    s.scanAll = 1;
    s.extensions = "8bf";
    SaveSettings(backend, s);
    EXPECT_EQ(backend.m_writeLog,
              (std::vector<std::string>{"Settings/Transparency", "Settings/PreviewSize", "Settings/PreviewImage",
                                        "Settings/ScanAll", "Settings/Extensions"}));
    Settings back = LoadSettings(backend);
    EXPECT_EQ(back.transparency, 0);
    EXPECT_EQ(back.previewSize, 2);
    EXPECT_EQ(back.previewImage, "Other.bmp");
    EXPECT_EQ(back.scanAll, 1);
    EXPECT_EQ(back.extensions, "8bf");
}

TEST(VardelApp, SaveAndLoadSettingsAndStores)
{
    test::TempDir tmp;
    fs::create_directory(tmp / "setup.db");
    MemorySettingsBackend backend;
    int menuRebuilds = 0;
    {
        CVardelApp app;
        app.m_dataDir.root = tmp.path();
        app.m_onDirectoryListChanged = [&] { ++menuRebuilds; };
        app.m_settings.scanAll = 1;
        app.m_directories.push_back(std::make_unique<CPluginDirEntry>());
        app.m_restore.Add("8BFM_A_00", "A", "c");
        app.m_pimiCache.Add("8BFM_B_00", {});
        app.SaveSettingsAndStores(backend);
    }
    EXPECT_TRUE(fs::exists(tmp / "setup.db" / "index"));
    EXPECT_TRUE(fs::exists(tmp / "setup.db" / "restore"));
    EXPECT_TRUE(fs::exists(tmp / "setup.db" / "pimiinfo"));
    EXPECT_FALSE(fs::exists(tmp / "setup.db" / "keywords"));  // saved at exit only

    CVardelApp app;
    app.m_dataDir.root = tmp.path();
    app.m_onDirectoryListChanged = [&] { ++menuRebuilds; };
    // A broken restore store does not keep the next store from loading.
    test::writeFile(tmp / "setup.db" / "restore", std::string("\x05\x00", 2));
    app.LoadSettingsAndStores(backend);
    EXPECT_EQ(app.m_settings.scanAll, 1);
    EXPECT_EQ(app.m_directories.size(), 1u);
    EXPECT_FALSE(app.m_restore.Contains("8BFM_A_00"));
    EXPECT_NE(app.m_pimiCache.Lookup("8BFM_B_00"), nullptr);
    EXPECT_EQ(menuRebuilds, 2);
}

TEST(VardelApp, WithoutSetupDbNothingIsCreated)
{
    test::TempDir tmp;
    MemorySettingsBackend backend;
    CVardelApp app;
    app.m_dataDir.root = tmp.path();
    app.LoadSettingsAndStores(backend);
    EXPECT_TRUE(app.m_directories.empty());
    app.SaveSettingsAndStores(backend);
    EXPECT_FALSE(fs::exists(tmp / "setup.db"));
    EXPECT_EQ(backend.m_writeLog.size(), 5u);
}
