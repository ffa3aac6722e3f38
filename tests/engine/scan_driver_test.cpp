// The scan driver's walk: event order, routing by extension, counting, and a
// tree that tries to lead the walk astray.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "event_log.h"
#include "os/path.h"
#include "scan_driver.h"
#include "temp_tree.h"

namespace qx {
namespace {

using test::EventLog;
using test::TempTree;

// Fake rule sets: record which entry each file reached and rate files whose
// name holds "bad" with the digit that follows it.
std::map<std::u16string, char> reached;
int Rate(char family, const char16_t* path) {
    std::u16string p(path);
    reached[p.substr(p.find_last_of(os::kPathSeparator) + 1)] = family;
    const auto bad = p.find(u"bad");
    if (bad == std::u16string::npos) return VerdictNone;
    return p[bad + 3] - u'0';
}
int FakeAsp(char16_t* reason, const char16_t* path) {
    std::u16string(u"asp reason").copy(reason, 10);
    return Rate('a', path);
}
int FakeAspx(char16_t*, const char16_t* path) {
    return Rate('x', path);
}
int FakePhp(char16_t*, const char16_t* path) {
    return Rate('p', path);
}
int FakeJsp(char16_t*, const char16_t* path) {
    return Rate('j', path);
}
const RuleSetTable kFakes = {FakeAsp, FakeAspx, FakePhp, FakeJsp};

class ScanDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reached.clear();
        EventLog::Instance().Take();
        session_.rules = &kFakes;
        session_.callback_w = test::RecordScanW;
    }
    // Walks on the session's worker, as a started scan does.
    int Scan(const std::u16string& root) {
        int files = -1;
        EXPECT_TRUE(session_.worker.Start([&] { files = ScanDirectory(session_, root); }));
        session_.worker.Wait();
        return files;
    }
    void CheckAll() {
        session_.check_asp = session_.check_aspx = session_.check_php = session_.check_jsp = 1;
    }

    ScanSession session_;
    TempTree tree_;
};

TEST_F(ScanDriverTest, FilesBeforeSubdirectoriesAndRoutesByExtension) {
    tree_.Write("A.ASP", "x");
    tree_.Write("b.Php5", "x");
    tree_.Write("c.html", "x");
    tree_.Write("d/e.jspx", "x");
    CheckAll();
    EXPECT_EQ(Scan(tree_.Path()), 4);
    const auto events = EventLog::Instance().Take();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].path, tree_.Path());
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(events[i].path.find(tree_.Path()), 0u);
    EXPECT_EQ(events[4].path, tree_.Path("d"));
    EXPECT_EQ(events[5].path, tree_.Path("d/e.jspx"));
    for (const auto& e : events) EXPECT_EQ(e.code, QX_PROGRESS_CODE);
    EXPECT_EQ(reached, (std::map<std::u16string, char>{
                           {u"A.ASP", 'a'}, {u"b.Php5", 'p'}, {u"e.jspx", 'j'}}));
}

TEST_F(ScanDriverTest, RoutingTable) {
    const struct {
        const char* name;
        char family;  // 0: not rated
    } files[] = {
        {"a.asp", 'a'}, {"a.asa", 'a'},  {"a.cer", 'a'},  {"a.inc", 'a'},   {"a.htr", 'a'},
        {"a.CDX", 'a'}, {"a.aspx", 'x'}, {"a.ascx", 'x'}, {"a.asax", 'x'},  {"a.AshX", 'x'},
        {"a.php", 'p'}, {"a.php3", 'p'}, {"a.php4", 'p'}, {"a.php5", 'p'},  {"a.phtml", 'p'},
        {"a.jsp", 'j'}, {"a.jspx", 'j'}, {".asp", 'a'},   {"x.asp.bak", 0}, {"noext", 0},
        {"a.htm", 0},   {"a.js", 0},     {"a.php6", 0},   {"a.as", 0},
    };
    CheckAll();
    for (const auto& f : files) {
        const std::u16string name(f.name, f.name + std::strlen(f.name));
        const RuleSetEntry entry = RouteFile(session_, name);
        const RuleSetEntry expected = f.family == 'a'   ? FakeAsp
                                      : f.family == 'x' ? FakeAspx
                                      : f.family == 'p' ? FakePhp
                                      : f.family == 'j' ? FakeJsp
                                                        : nullptr;
        EXPECT_EQ(entry, expected) << f.name;
    }
    // A switched-off family is passed over; the others still route.
    session_.check_asp = 0;
    EXPECT_EQ(RouteFile(session_, u"a.asp"), nullptr);
    EXPECT_EQ(RouteFile(session_, u"a.php"), FakePhp);
}

TEST_F(ScanDriverTest, ReportsAndCountsFindings) {
    tree_.Write("bad1.asp", "x");
    tree_.Write("bad2.asp", "x");
    tree_.Write("bad3.asp", "x");
    tree_.Write("bad9.asp", "x");  // above the scale: reported, counted in none
    tree_.Write("good.asp", "x");
    tree_.Write("bad3.txt", "x");  // not routed
    session_.check_asp = 1;
    EXPECT_EQ(Scan(tree_.Path()), 6);
    EXPECT_EQ(session_.suspicious_count, 1);
    EXPECT_EQ(session_.dangerous_count, 1);
    EXPECT_EQ(session_.trojan_count, 1);
    int findings = 0;
    for (const auto& e : EventLog::Instance().Take()) {
        if (e.code == QX_PROGRESS_CODE) continue;
        ++findings;
        EXPECT_EQ(e.reason, u"asp reason");
        EXPECT_NE(e.path.find(u"bad"), std::u16string::npos);
    }
    EXPECT_EQ(findings, 4);
}

TEST_F(ScanDriverTest, NothingSwitchedOnStillWalksAndCounts) {
    tree_.Write("bad3.asp", "x");
    tree_.Write("sub/deeper/bad3.php", "x");
    tree_.MakeDirectory("empty");
    EXPECT_EQ(Scan(tree_.Path()), 2);
    EXPECT_TRUE(reached.empty());
    EXPECT_EQ(session_.trojan_count, 0);
}

TEST_F(ScanDriverTest, MissingDirectoryGivesOneEvent) {
    EXPECT_EQ(Scan(tree_.Path("absent")), 0);
    const auto events = EventLog::Instance().Take();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].path, tree_.Path("absent"));
}

#ifndef _WIN32
TEST_F(ScanDriverTest, LinksToDirectoriesAreNotEntered) {
    tree_.Write("site/a.php", "x");
    std::filesystem::create_directory_symlink(tree_.Root() / "site", tree_.Root() / "site/loop");
    TempTree outside;
    outside.Write("secret/bad3.php", "x");
    std::filesystem::create_directory_symlink(outside.Root() / "secret", tree_.Root() / "site/out");
    CheckAll();
    EXPECT_EQ(Scan(tree_.Path("site")), 1);
    EXPECT_EQ(reached.size(), 1u);
}

TEST_F(ScanDriverTest, NamesThatAreNotUtf8AreReachedAndRoundTrip) {
    const std::string raw = "caf\xE9.php";  // Latin-1 bytes
    tree_.Write("ok.php", "x");
    {
        std::FILE* f = std::fopen((tree_.Root().string() + "/" + raw).c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    CheckAll();
    EXPECT_EQ(Scan(tree_.Path()), 2);
    EXPECT_EQ(reached.size(), 2u);
    for (const auto& [name, family] : reached) {
        EXPECT_EQ(family, 'p');
        if (name != u"ok.php") {
            EXPECT_EQ(os::NativePath(name), raw);
        }
    }
}

TEST_F(ScanDriverTest, PlantedFifoNeitherStallsNorCounts) {
    // Opening a FIFO for reading would wait for a writer forever.
    ASSERT_EQ(mkfifo((tree_.Root() / "pipe.php").c_str(), 0600), 0);
    tree_.Write("bad3.php", "x");
    session_.rules = &kRuleSets;  // the real rule sets open the file
    session_.check_php = 1;
    EXPECT_EQ(Scan(tree_.Path()), 2);
}

TEST_F(ScanDriverTest, DeepTreesAreWalkedWhole) {
    // Far deeper than Windows' 259 units: nothing on Linux may be skipped.
    std::string deep;
    for (int i = 0; i < 60; ++i) deep += "directory" + std::to_string(i) + "/";
    tree_.Write(deep + "bad3.php", "x");
    session_.check_php = 1;
    EXPECT_EQ(Scan(tree_.Path()), 1);
    EXPECT_EQ(session_.trojan_count, 1);
}
#endif

}  // namespace
}  // namespace qx
