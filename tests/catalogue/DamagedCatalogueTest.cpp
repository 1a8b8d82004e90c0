// A catalogue file that was cut short or garbled loses no plug-in: the
// refresh reads in full every file whose entries it cannot vouch for, and a
// catalogue file that broke off part way is kept beside it before the
// refreshed one is saved over it.

#include "app/Session.h"
#include "app/Stores.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

struct Messages : SessionObserver {
    std::vector<UserMessage> told;
    void Message(const UserMessage& m) override { told.push_back(m); }
};

class DamagedCatalogue : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_tmp / "setup.db");
        fs::create_directories(m_plugins);
        // Files of three and two plug-ins, and single ones between them in
        // the sorted catalogue.
        for (int i = 0; i < 4; ++i) {
            fs::copy_file(test::testPlugin("pipl_three.8bf"), m_plugins / ("three" + std::to_string(i) + ".8bf"));
            fs::copy_file(test::testPlugin("pimi_filter.8bf"), m_plugins / ("pimi" + std::to_string(i) + ".8bf"));
            fs::copy_file(test::testPlugin("pipl_single.8bf"), m_plugins / ("one" + std::to_string(i) + ".8bf"));
        }
        {
            auto session = Open();
            auto dir = std::make_unique<CPluginDirEntry>();
            dir->m_label = "P";
            dir->m_directory = m_plugins.string();
            dir->m_catalogueFile = NewCatalogueFileName(session->GetDataDirectory());
            session->Directories().push_back(std::move(dir));
            ASSERT_TRUE(session->SaveDirectoryList());
            ASSERT_TRUE(session->SelectDirectory(0).done);
            m_whole = Plugins(*session);
            ASSERT_EQ(m_whole.size(), 24u);
        }
        m_stored = test::readFile(m_catalogue);
    }
    std::unique_ptr<CVardelSession> Open()
    {
        auto session = std::make_unique<CVardelSession>(DataDirectory{m_tmp.path()}, m_backend);
        session->AddObserver(&m_messages);
        session->Start();
        return session;
    }
    static std::vector<std::string> Plugins(const CVardelSession& session)
    {
        std::vector<std::string> out;
        for (const auto& e : session.Catalogue().m_entries)
            out.push_back(e->m_path + " " + e->m_name);
        std::sort(out.begin(), out.end());
        return out;
    }
    // Writes the damaged catalogue, selects the directory in a new session
    // and returns what it shows.
    std::vector<std::string> SelectWith(const std::vector<std::uint8_t>& damaged)
    {
        test::writeFile(m_catalogue, damaged);
        for (const auto& f : fs::directory_iterator(m_tmp / "setup.db"))
            if (f.path().filename().string().find(".damaged") != std::string::npos)
                fs::remove(f.path());
        m_messages.told.clear();
        auto session = Open();
        const ScanOutcome outcome = session->SelectDirectory(0);
        EXPECT_TRUE(outcome.done);
        return Plugins(*session);
    }

    test::TempDir m_tmp;
    fs::path m_plugins = m_tmp / "plugins";
    fs::path m_catalogue = m_tmp / "setup.db" / "SETUP000";
    MemorySettingsBackend m_backend;
    Messages m_messages;
    std::vector<std::string> m_whole;
    std::vector<std::uint8_t> m_stored;
};

}  // namespace

TEST_F(DamagedCatalogue, EveryCutKeepsEveryPluginAndTheCutOriginal)
{
    for (std::size_t length = 4; length < m_stored.size(); length += 11) {
        const std::vector<std::uint8_t> cut(m_stored.begin(), m_stored.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_EQ(SelectWith(cut), m_whole) << "cut at " << length;
        ASSERT_EQ(test::readFile(m_tmp / "setup.db" / "SETUP000.damaged"), cut) << "cut at " << length;
        ASSERT_EQ(m_messages.told.size(), 1u) << "cut at " << length;
        EXPECT_EQ(m_messages.told[0].code, MessageCode::StoreDamaged);
        EXPECT_EQ(m_messages.told[0].argument, (m_tmp / "setup.db" / "SETUP000.damaged").string());
        // The catalogue saved over it is whole again.
        CPluginListManager reread;
        int selected = -1;
        ASSERT_TRUE(LoadCatalogue(m_catalogue, selected, reread)) << "cut at " << length;
        EXPECT_EQ(reread.m_entries.size(), m_whole.size());
    }
}

// Garbled bytes either end the load (as a cut does) or make an entry no
// longer fit its file. A garbled path is not among them: it names a file
// that is gone, as a deleted plug-in's does, and its plug-in is read again
// only when its file has no other entry.
TEST_F(DamagedCatalogue, GarbledBytesLoseNoPlugin)
{
    std::vector<bool> inPath(m_stored.size(), false);
    const std::string prefix = m_plugins.string();
    for (std::size_t at = 1; at + prefix.size() <= m_stored.size(); ++at)
        if (std::equal(prefix.begin(), prefix.end(), m_stored.begin() + static_cast<std::ptrdiff_t>(at)))
            for (std::size_t k = at - 1; k < at + m_stored[at - 1] && k < m_stored.size(); ++k)
                inPath[k] = true;
    // Plug-ins per file: a garbled field the refresh does not check (a kind,
    // a flag, a capacity) may leave an entry as it is.
    auto perFile = [](const std::vector<std::string>& plugins) {
        std::map<std::string, int> count;
        for (const auto& p : plugins)
            ++count[p.substr(0, p.find(' '))];
        return count;
    };
    std::mt19937 random(17);
    for (int round = 0; round < 150; ++round) {
        std::vector<std::uint8_t> garbled = m_stored;
        std::uniform_int_distribution<std::size_t> at(4, garbled.size() - 1);
        for (int k = 0; k < 1 + round % 3; ++k) {
            std::size_t where = at(random);
            while (inPath[where])
                where = at(random);
            garbled[where] ^= static_cast<std::uint8_t>(1 + random() % 255);
        }
        ASSERT_EQ(perFile(SelectWith(garbled)), perFile(m_whole)) << "round " << round;
    }
}
