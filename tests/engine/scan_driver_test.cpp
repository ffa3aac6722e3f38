// The scan driver's walk: event order, routing by extension, findings, and a
// tree that tries to lead the walk astray.
#include "scan_driver.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "os/path.h"
#include "temp_tree.h"

namespace qx {
namespace {

using test::TempTree;

// Contents that the real rule sets rate at each level.
constexpr const char* kSuspiciousAsp = "<% Set s = CreateObject(\"ADODB.Stream\") %>";
constexpr const char* kDangerousAsp = "<% CreateObject(\"WScript.Shell\") %>";
constexpr const char* kTrojanPhp = "<?php eval($_POST[cmd])?>";

// Records the events in order: 'D' directory, 'F' file, 'R' finding.
class Recorder : public ScanClient {
  public:
    struct Event {
        char kind;
        std::u16string path;
        int verdict = 0;
    };

    bool HearsEntries() const override { return hears_entries; }
    void OnDirectory(const std::u16string& path) override { events.push_back({'D', path}); }
    void OnFile(const std::u16string& path) override { events.push_back({'F', path}); }
    void OnFinding(const std::u16string& path, const Finding& finding) override {
        events.push_back({'R', path, finding.verdict});
        EXPECT_FALSE(finding.rating.reason.empty());
    }

    int Findings(int verdict) const {
        int n = 0;
        for (const Event& e : events) n += e.kind == 'R' && e.verdict == verdict;
        return n;
    }

    std::vector<Event> events;
    bool hears_entries = true;
};

TEST(ScanDriver, FilesBeforeSubdirectoriesAndFindingsAfterTheirFile) {
    TempTree tree;
    tree.Write("A.ASP", kDangerousAsp);
    tree.Write("b.Php5", kTrojanPhp);
    tree.Write("c.html", kTrojanPhp);  // not routed
    tree.Write("d/e.php", kTrojanPhp);
    Recorder recorder;
    EXPECT_EQ(ScanTree(tree.Path(), recorder), 4);

    std::string kinds;
    for (const auto& e : recorder.events) kinds += e.kind;
    // One directory of three files (listing order is the platform's), then d.
    ASSERT_EQ(kinds.size(), 9u);
    EXPECT_EQ(kinds.substr(0, 1), "D");
    EXPECT_EQ(kinds.substr(6), "DFR");
    EXPECT_EQ(recorder.events[0].path, tree.Path());
    EXPECT_EQ(recorder.events[6].path, tree.Path("d"));
    for (std::size_t i = 1; i < recorder.events.size(); ++i) {
        if (recorder.events[i].kind == 'R') {
            EXPECT_EQ(recorder.events[i].path, recorder.events[i - 1].path);
        }
    }
    EXPECT_EQ(recorder.Findings(VerdictDangerous), 1);
    EXPECT_EQ(recorder.Findings(VerdictTrojan), 2);
}

TEST(ScanDriver, RoutingTable) {
    const struct {
        const char* name;
        int family;  // -1: not rated
    } files[] = {
        {"a.asp", 0},  {"a.asa", 0},  {"a.cer", 0},   {"a.inc", 0},      {"a.htr", 0},
        {"a.CDX", 0},  {"a.aspx", 1}, {"a.ascx", 1},  {"a.asax", 1},     {"a.AshX", 1},
        {"a.php", 2},  {"a.php3", 2}, {"a.php4", 2},  {"a.php5", 2},     {"a.phtml", 2},
        {"a.jsp", 3},  {"a.jspx", 3}, {".asp", 0},    {"x.asp.bak", -1}, {"noext", -1},
        {"a.htm", -1}, {"a.js", -1},  {"a.php6", -1}, {"a.as", -1},      {"a.phtmlphp", -1},
    };
    for (const auto& f : files) {
        const std::u16string name(f.name, f.name + std::strlen(f.name));
        const std::optional<Family> family = FamilyOfName(name);
        EXPECT_EQ(family ? static_cast<int>(*family) : -1, f.family) << f.name;
    }
    // Units past ASCII whose low byte spells an extension of ours.
    EXPECT_FALSE(FamilyOfName(u"a.\u0170hp"));
    EXPECT_FALSE(FamilyOfName(u"a.p\u0168p"));
}

#ifndef _WIN32
// Names of every length of UTF-8 sequence, and bytes that are not UTF-8, are
// told as their UTF-16 and opened through it.
TEST(ScanDriver, NamesOfAnyBytesAreToldAndOpened) {
    TempTree tree;
    const struct {
        const char* bytes;
        std::u16string told;
    } names[] = {
        {"\xC3\xA9.php", u"\u00E9.php"},
        {"\xE4\xB8\xAD.php", u"\u4E2D.php"},
        {"\xF0\x9F\x98\x80.php", u"\U0001F600.php"},
        {"a\xFF\xC3.php", u"a\xDCFF\xDCC3.php"},
    };
    for (const auto& name : names) tree.Write(name.bytes, kTrojanPhp);
    Recorder recorder;
    ScanTree(tree.Path(), recorder);
    for (const auto& name : names) {
        const std::u16string path = tree.Path() + u'/' + name.told;
        int found = 0;
        for (const auto& e : recorder.events) found += e.kind == 'R' && e.path == path;
        EXPECT_EQ(found, 1) << name.bytes;
    }
}
#endif

TEST(ScanDriver, TheClientsRoutingDecides) {
    TempTree tree;
    tree.Write("a.asp", kSuspiciousAsp);
    tree.Write("b.asp", kDangerousAsp);
    tree.Write("c.php", kTrojanPhp);
    struct OnlyPhp : Recorder {
        FileRoute Route(const std::u16string&, std::u16string_view name) override {
            const auto family = FamilyOfName(name);
            return {family == Family::kPhp ? family : std::nullopt};
        }
    } recorder;
    EXPECT_EQ(ScanTree(tree.Path(), recorder), 3);
    EXPECT_EQ(recorder.Findings(VerdictSuspicious) + recorder.Findings(VerdictDangerous), 0);
    EXPECT_EQ(recorder.Findings(VerdictTrojan), 1);
}

TEST(ScanDriver, MissingDirectoryGivesOneEvent) {
    TempTree tree;
    Recorder recorder;
    EXPECT_EQ(ScanTree(tree.Path("absent"), recorder), 0);
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events[0].path, tree.Path("absent"));
}

TEST(ScanDriver, AStopEndsTheWalk) {
    TempTree tree;
    for (int i = 0; i < 1200; ++i) {
        std::string name = "d";
        name += std::to_string(i % 10);
        name += "/s";
        name += std::to_string(i);
        tree.Write(name + ".php", kTrojanPhp);
    }
    struct StopAfterFirstFinding : Recorder {
        bool StopRequested() const override { return Findings(VerdictTrojan) > 0; }
    };
    // On one thread the stop comes before the next file. On two, no file is
    // begun after it: only those under way or rated meanwhile are told, at
    // most what the pool holds in flight (512 jobs for two threads).
    StopAfterFirstFinding one, two;
    ScanTree(tree.Path(), one, {.threads = 1});
    EXPECT_EQ(one.Findings(VerdictTrojan), 1);
    ScanTree(tree.Path(), two, {.threads = 2});
    EXPECT_GE(two.Findings(VerdictTrojan), 1);
    EXPECT_LE(two.Findings(VerdictTrojan), 513);
}

// Several trees, a single file and the caller's own event on one pool: the
// client hears everything in the order given, whatever the threads do.
TEST(ScanDriver, OnePoolTellsSeveralTreesInOrder) {
    TempTree tree;
    for (int i = 0; i < 300; ++i) {
        std::string name = "t";
        name.append(std::to_string(i % 2)).append("/d").append(std::to_string(i % 7));
        name.append("/f").append(std::to_string(i)).append(i % 3 == 0 ? ".txt" : ".php");
        tree.Write(name, i % 5 == 0 ? kTrojanPhp : "<?php ?>");
    }
    tree.Write("single.asp", kDangerousAsp);
    const auto scan = [&](int threads, bool hears_entries = true) {
        Recorder recorder;
        recorder.hears_entries = hears_entries;
        Scanner scanner(recorder, {.threads = threads});
        EXPECT_EQ(scanner.Tree(tree.Path("t0")), 150);
        scanner.Then([&] { recorder.events.push_back({'T', u""}); });
        scanner.Tree(tree.Path("t1"));
        scanner.File(tree.Path("single.asp"));
        scanner.Finish();
        return recorder;
    };
    const Recorder one = scan(1), three = scan(3);
    ASSERT_EQ(one.events.size(), three.events.size());
    for (std::size_t i = 0; i < one.events.size(); ++i) {
        EXPECT_EQ(one.events[i].kind, three.events[i].kind) << i;
        EXPECT_EQ(one.events[i].path, three.events[i].path) << i;
    }
    EXPECT_EQ(one.Findings(VerdictTrojan), 40);  // the .php of every fifth
    EXPECT_EQ(one.events.back().kind, 'R');      // the single file, last
    EXPECT_EQ(one.events[one.events.size() - 2].path, tree.Path("single.asp"));

    // A client that does not hear entries hears the rest just the same.
    const Recorder deaf = scan(3, false);
    std::vector<Recorder::Event> rest;
    for (const Recorder::Event& e : one.events) {
        if (e.kind != 'D' && e.kind != 'F') rest.push_back(e);
    }
    ASSERT_EQ(deaf.events.size(), rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        EXPECT_EQ(deaf.events[i].kind, rest[i].kind) << i;
        EXPECT_EQ(deaf.events[i].path, rest[i].path) << i;
    }
}

#ifndef _WIN32
TEST(ScanDriver, LinksToDirectoriesAreNotEntered) {
    TempTree tree;
    tree.Write("site/a.php", "x");
    std::filesystem::create_directory_symlink(tree.Root() / "site", tree.Root() / "site/loop");
    TempTree outside;
    outside.Write("secret/bad.php", kTrojanPhp);
    std::filesystem::create_directory_symlink(outside.Root() / "secret", tree.Root() / "site/out");
    Recorder recorder;
    EXPECT_EQ(ScanTree(tree.Path("site"), recorder), 1);
    EXPECT_EQ(recorder.Findings(VerdictTrojan), 0);
}

TEST(ScanDriver, NamesThatAreNotUtf8AreReachedAndRated) {
    TempTree tree;
    const std::string raw = "caf\xE9.php";  // Latin-1 bytes
    {
        std::FILE* f = std::fopen((tree.Root().string() + "/" + raw).c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(kTrojanPhp, f);
        std::fclose(f);
    }
    Recorder recorder;
    EXPECT_EQ(ScanTree(tree.Path(), recorder), 1);
    ASSERT_EQ(recorder.Findings(VerdictTrojan), 1);
    EXPECT_EQ(os::NativePath(recorder.events.back().path), tree.Root().string() + "/" + raw);
}

TEST(ScanDriver, PlantedFifoNeitherStallsNorCounts) {
    // Opening a FIFO for reading would wait for a writer forever.
    TempTree tree;
    ASSERT_EQ(mkfifo((tree.Root() / "pipe.php").c_str(), 0600), 0);
    tree.Write("bad.php", kTrojanPhp);
    Recorder recorder;
    EXPECT_EQ(ScanTree(tree.Path(), recorder), 2);
    EXPECT_EQ(recorder.Findings(VerdictTrojan), 1);
}

TEST(ScanDriver, DeepTreesAreWalkedWhole) {
    // Far deeper than Windows' 259 units: nothing on Linux may be skipped.
    TempTree tree;
    std::string deep;
    for (int i = 0; i < 60; ++i) deep += "directory" + std::to_string(i) + "/";
    tree.Write(deep + "bad.php", kTrojanPhp);
    Recorder recorder;
    EXPECT_EQ(ScanTree(tree.Path(), recorder), 1);
    EXPECT_EQ(recorder.Findings(VerdictTrojan), 1);
}

TEST(ScanDriver, DirectoriesWaitingBehindALargeFileLeaveDescriptorsSpare) {
    // Files waiting to be told after a large one keep their directories
    // open; with few descriptors the walk must wait for them rather than
    // fail to list the rest of the tree.
    TempTree tree;
    std::string large;
    while (large.size() < (8u << 20)) large += "<?php echo $x; ?>\n";
    tree.Write("large.php", large);
    for (int i = 0; i < 400; ++i) tree.Write("d" + std::to_string(i) + "/bad.php", kTrojanPhp);
    struct Counter : Recorder {
        void OnProblem(const std::u16string&, const Problem&) override { ++problems; }
        int problems = 0;
    } counter;
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit few = saved;
    few.rlim_cur = 128;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
    ScanTree(tree.Path(), counter, {.threads = 4});
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(counter.problems, 0);
    EXPECT_EQ(counter.Findings(VerdictTrojan), 400);
}
#endif

}  // namespace
}  // namespace qx
