#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginFolderFinder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

constexpr const char* kExtensions = "8bf, 8be, aex";

class PluginFolderFinderTest : public ::testing::Test {
protected:
    void Touch(const fs::path& file)
    {
        fs::create_directories(file.parent_path());
        test::writeFile(file, std::string("x"));
    }
    fs::path Home() const { return m_home.path(); }

    const FoundFolder* Find(const FolderSearch& s, const fs::path& path)
    {
        for (const auto& f : s.folders)
            if (f.path == fs::weakly_canonical(path).string())
                return &f;
        return nullptr;
    }

    test::TempDir m_home;
    test::TempDir m_elsewhere;  // outside every prefix
    DirectoryList m_list;
};

}  // namespace

// The prefixes of the front ends, each once however it is reached (Steam's
// own link included); a folder with "drive_c" missing is no prefix.
TEST_F(PluginFolderFinderTest, FindsThePrefixesOfWineFrontEnds)
{
    for (const char* prefix : {".wine", ".local/share/bottles/bottles/Art", ".PlayOnLinux/wineprefix/Old",
                               "Games/lutris-game", ".local/share/Steam/steamapps/compatdata/4711/pfx"})
        fs::create_directories(Home() / prefix / "drive_c");
    fs::create_directories(Home() / "Games" / "not-a-prefix");
    fs::create_directories(Home() / ".steam");
    fs::create_directory_symlink(Home() / ".local/share/Steam", Home() / ".steam" / "steam");

    const auto prefixes = FindWinePrefixes(Home());
    EXPECT_EQ(prefixes.size(), 5u);
    EXPECT_EQ(std::count(prefixes.begin(), prefixes.end(),
                         fs::canonical(Home() / ".local/share/Steam/steamapps/compatdata/4711/pfx")),
              1);
}

// The hosts' plug-in folders with their plug-in files (disabled ones too,
// subfolders included), labelled after the host; an empty folder only for
// the hosts below "Adobe"; labels alike in two prefixes told apart; the
// directories on the list marked however they are spelled.
TEST_F(PluginFolderFinderTest, FindsTheHostsPluginFoldersWithCountsAndLabels)
{
    const fs::path pf = Home() / ".wine/drive_c/Program Files";
    const fs::path photo = pf / "Adobe/Photo Host 2024/Plug-ins";
    Touch(photo / "Blur.8bf");
    Touch(photo / "Effects/Deep/Glow.8BF");
    Touch(photo / "Disabled_8bf");
    Touch(photo / "readme.txt");
    Touch(photo / "plain_name");
    fs::create_directories(pf / "Adobe/Video Host/Plug-Ins");  // empty, still offered
    fs::create_directories(pf / "Browser/plugins");            // empty, not offered
    Touch(pf / "Viewer/Plugins/Pack.8be");                     // another host
    const fs::path common =
        Home() / ".local/share/bottles/bottles/Art/drive_c/Program Files (x86)/Common Files/Adobe/Plug-Ins/CC";
    Touch(common / "Shared.aex");
    Touch(Home() / "Games/g/drive_c/Program Files/Viewer/Plugins/Other.8bf");  // same host, other prefix

    auto listed = std::make_unique<CPluginDirEntry>();
    listed->m_directory = (pf / "Viewer/Plugins/").string();
    m_list.push_back(std::make_unique<CPluginDirEntry>());
    m_list.back()->m_separator = 1;
    m_list.push_back(std::move(listed));

    const FolderSearch s = FindPluginFolders(Home(), kExtensions, m_list);
    EXPECT_TRUE(s.complete);
    ASSERT_EQ(s.folders.size(), 5u);
    const FoundFolder* f = Find(s, photo);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->pluginFiles, 3);
    EXPECT_EQ(f->label, "Photo Host 2024");
    EXPECT_EQ(f->prefix, fs::canonical(Home() / ".wine").string());
    EXPECT_EQ(f->listedAs, -1);
    ASSERT_TRUE(Find(s, pf / "Adobe/Video Host/Plug-Ins"));
    EXPECT_EQ(Find(s, pf / "Adobe/Video Host/Plug-Ins")->pluginFiles, 0);
    EXPECT_FALSE(Find(s, pf / "Browser/plugins"));
    ASSERT_TRUE(Find(s, common));
    EXPECT_EQ(Find(s, common)->label, "Adobe Plug-Ins CC");
    EXPECT_EQ(Find(s, common)->pluginFiles, 1);
    ASSERT_TRUE(Find(s, pf / "Viewer/Plugins"));
    EXPECT_EQ(Find(s, pf / "Viewer/Plugins")->label, "Viewer (.wine)");
    EXPECT_EQ(Find(s, pf / "Viewer/Plugins")->listedAs, 1);
    EXPECT_EQ(Find(s, Home() / "Games/g/drive_c/Program Files/Viewer/Plugins")->label, "Viewer (g)");
}

// Links that lead out of the prefix are never followed, whether a plug-in
// folder, a subfolder or a file; a loop of links ends, and a link back up
// inside the prefix counts nothing twice.
TEST_F(PluginFolderFinderTest, NeverFollowsLinksOutOfThePrefix)
{
    for (int i = 0; i < 20; ++i)
        Touch(m_elsewhere / "plugins" / ("Outside" + std::to_string(i) + ".8bf"));
    const fs::path pf = Home() / ".wine/drive_c/Program Files/Adobe";
    const fs::path plug = pf / "Host/Plug-ins";
    Touch(plug / "Inside.8bf");
    fs::create_directory_symlink(m_elsewhere / "plugins", plug / "outside");
    fs::create_symlink(m_elsewhere / "plugins" / "Outside0.8bf", plug / "Link.8bf");
    fs::create_directory_symlink("..", plug / "up");       // back up, inside the prefix
    fs::create_symlink(plug / "loop-b", plug / "loop-a");  // a loop of two links
    fs::create_symlink(plug / "loop-a", plug / "loop-b");
    fs::create_directories(pf / "Linked Host");
    fs::create_directory_symlink(m_elsewhere / "plugins", pf / "Linked Host" / "Plug-ins");
    fs::create_directory_symlink(m_elsewhere.path(), Home() / ".wine/drive_c/Program Files (x86)");

    const FolderSearch s = FindPluginFolders(Home(), kExtensions, m_list);
    EXPECT_TRUE(s.complete);
    ASSERT_EQ(s.folders.size(), 1u);
    EXPECT_EQ(s.folders[0].path, fs::canonical(plug).string());
    EXPECT_EQ(s.folders[0].pluginFiles, 1);
}

TEST_F(PluginFolderFinderTest, EndsAtTheDeadlineOrWhenStopped)
{
    Touch(Home() / ".wine/drive_c/Program Files/Adobe/Host/Plug-ins/Blur.8bf");
    const auto past = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    EXPECT_FALSE(FindPluginFolders(Home(), kExtensions, m_list, {}, past).complete);
    std::stop_source stop;
    stop.request_stop();
    const FolderSearch stopped = FindPluginFolders(Home(), kExtensions, m_list, stop.get_token());
    EXPECT_FALSE(stopped.complete);
    EXPECT_TRUE(stopped.folders.empty());
    EXPECT_TRUE(FindPluginFolders(m_home / "nobody", kExtensions, m_list).folders.empty());
}
