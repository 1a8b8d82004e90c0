#include "app/DataDirectoryChoice.h"
#include "app/Stores.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

// The order of the places: the option, an existing installation in the
// current directory, then the user's data directory.
TEST(DataDirectoryChoice, OptionThenInstallationHereThenUserData)
{
    test::TempDir dir;
    const fs::path here = dir / "here", user = dir / "user";
    fs::create_directories(here);
    EXPECT_EQ(ChooseDataDirectory({dir / "given", here, user}), dir / "given") << "given even when missing";
    EXPECT_EQ(ChooseDataDirectory({{}, here, user}), user);
    test::writeFile(here / kSetupDbName, std::string("a file is no installation"));
    EXPECT_EQ(ChooseDataDirectory({{}, here, user}), user);
    fs::remove(here / kSetupDbName);
    fs::create_directories(here / kSetupDbName);
    EXPECT_EQ(ChooseDataDirectory({{}, here, user}), here);
    EXPECT_EQ(ChooseDataDirectory({{}, dir / "elsewhere", {}}), dir / "elsewhere") << "no user directory known";
}

TEST(DataDirectoryChoice, UserDataDirectoryOfThePlatform)
{
    const fs::path tail = fs::path(kOrganisationName) / kApplicationName;
#ifdef _WIN32
    EXPECT_EQ(UserDataDirectory("C:\\Users\\u\\AppData\\Roaming", "", ""),
              fs::path("C:\\Users\\u\\AppData\\Roaming") / tail);
    EXPECT_EQ(UserDataDirectory("", "", "C:\\Users\\u"), fs::path());
#else
    EXPECT_EQ(UserDataDirectory("", "/xdg", "/home/u"), fs::path("/xdg") / tail);
    EXPECT_EQ(UserDataDirectory("", "relative", "/home/u"), fs::path("/home/u/.local/share") / tail)
        << "a relative XDG_DATA_HOME is ignored";
    EXPECT_EQ(UserDataDirectory("", "", "/home/u"), fs::path("/home/u/.local/share") / tail);
    EXPECT_EQ(UserDataDirectory("C:\\AppData", "", ""), fs::path());
#endif
}

TEST(DataDirectoryChoice, LayoutNames)
{
    const DataDirectory d{"root"};
    EXPECT_EQ(d.SetupDb(), fs::path("root/setup.db"));
    EXPECT_EQ(d.ImagesDb(), fs::path("root/images.db"));
    EXPECT_EQ(d.SampleDir(), fs::path("root/preview"));
    EXPECT_EQ(d.StartupImage(), fs::path("root/STARTUP.JPG"));
}
