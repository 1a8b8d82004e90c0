#include "app/Application.h"
#include "base/MemorySettingsBackend.h"
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
