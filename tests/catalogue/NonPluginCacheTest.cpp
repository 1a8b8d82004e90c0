#include "catalogue/NonPluginCache.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace vardel;
namespace fs = std::filesystem;

// A file's stamp is its size and modification time as std::filesystem gives
// them (the stamps already stored were made that way); a link stamps as its
// target; anything but a regular file has none.
TEST(NonPluginCache, StampIsTheFileSystemsSizeAndTime)
{
    test::TempDir dir;
    const auto file = dir / "readme.8bf";
    test::writeFile(file, std::string(777, 'r'));
    // A time with nanoseconds, and one before the file clock's epoch.
    for (auto time : {fs::last_write_time(file) - std::chrono::nanoseconds(123456789),
                      fs::file_time_type(std::chrono::seconds(-86400))}) {
        fs::last_write_time(file, time);
        const auto stamp = CNonPluginCache::Stamp(file.string());
        ASSERT_TRUE(stamp);
        EXPECT_EQ(stamp->size, fs::file_size(file));
        EXPECT_EQ(stamp->modified, fs::last_write_time(file).time_since_epoch().count());
    }

    fs::create_symlink(file, dir / "link.8bf");
    EXPECT_EQ(CNonPluginCache::Stamp((dir / "link.8bf").string()), CNonPluginCache::Stamp(file.string()));
    fs::create_directory(dir / "sub.8bf");
    EXPECT_FALSE(CNonPluginCache::Stamp((dir / "sub.8bf").string()));
    EXPECT_FALSE(CNonPluginCache::Stamp((dir / "missing.8bf").string()));
    fs::create_symlink(dir / "missing.8bf", dir / "dangling.8bf");
    EXPECT_FALSE(CNonPluginCache::Stamp((dir / "dangling.8bf").string()));
}
