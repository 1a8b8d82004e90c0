// What a command is about to change, for the questions asked first: its
// files once each, the plug-ins that change with them, and the signed ones,
// found by a step of its own that reads only the files.

#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "modify/ChangePlan.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

struct Plugins {
    test::TempDir temp;
    CPluginListManager catalogue;
    CPluginRestoreManager restore;
    CPIMIManager pimi;

    // Reads a copy of a test plug-in; returns its entries.
    std::vector<CPluginEntry*> Add(const std::string& name, const std::string& as)
    {
        fs::copy_file(test::testPlugin(name), temp / as);
        const std::size_t before = catalogue.m_entries.size();
        CPluginReader(catalogue, restore, pimi).ReadFile((temp / as).string(), true);
        std::vector<CPluginEntry*> added;
        for (std::size_t i = before; i < catalogue.m_entries.size(); ++i)
            added.push_back(catalogue.m_entries[i].get());
        return added;
    }
};

}  // namespace

TEST(ChangePlan, FilesOnceWithTheirMatesAndTheSignedOnesFromTheFiles)
{
    Plugins p;
    const auto three = p.Add("pipl_three.8bf", "three.8bf");
    const auto signedOne = p.Add("signed.8bf", "signed.8bf");
    const auto single = p.Add("pipl_single.8bf", "single.8bf");
    ASSERT_EQ(three.size(), 3u);
    ASSERT_EQ(signedOne.size(), 1u);

    // Disabling one plug-in of three renames its file with the others.
    ChangePlan plan = PlanEnable(p.catalogue, {three[0], signedOne[0], single[0]}, false);
    EXPECT_EQ(plan.files,
              (std::vector<std::string>{three[0]->RealPath(), signedOne[0]->RealPath(), single[0]->RealPath()}));
    EXPECT_EQ(plan.paths, plan.files) << "all enabled: where they are is their real name";
    EXPECT_EQ(plan.fileMates, (std::vector<const CPluginEntry*>{three[1], three[2]}));
    EXPECT_TRUE(plan.signedFiles.empty()) << "no file is read while planning";
    EXPECT_EQ(SignedFilesOf(plan.files, plan.paths), (std::vector<std::string>{signedOne[0]->RealPath()}));

    // A disabled file is read where it is, and named by its enabled name.
    ASSERT_TRUE(signedOne[0]->SetEnabled(false));
    plan = PlanEnable(p.catalogue, {signedOne[0]}, true);
    ASSERT_EQ(plan.paths.size(), 1u);
    EXPECT_EQ(plan.paths[0], signedOne[0]->m_path);
    EXPECT_EQ(SignedFilesOf(plan.files, plan.paths), (std::vector<std::string>{signedOne[0]->RealPath()}));

    // Stopped: nothing more is read.
    std::atomic<bool> stop{true};
    EXPECT_TRUE(SignedFilesOf(plan.files, plan.paths, &stop).empty());
}
