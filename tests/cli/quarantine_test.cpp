// Quarantining and restoring: nothing lost on the way out or back, nothing
// overwritten, owner, mode and nanosecond times kept, and whatever cannot be
// moved safely left exactly where it was.
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

#include "quarantine.h"
#include "quarantine_files.h"
#include "temp_tree.h"

namespace {

using namespace qx::cli;
using namespace qx::test;
using ::testing::HasSubstr;
using Outcome = RestoreResult::Outcome;

const FindingInfo kWhy{"trojan", "发现网页木马"};
constexpr uid_t kStranger = 12345;  // a user who owns nothing else here

void SetTimes(const std::string& path, long atime_ns, long mtime_ns) {
    const struct timespec times[2] = {{1000000000, atime_ns}, {1100000000, mtime_ns}};
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        throw std::runtime_error("cannot set times");
    }
}

// All that restoring must bring back but the bytes.
std::string Described(const std::string& path) {
    const struct stat s = StatOf(path);
    std::ostringstream out;
    out << "owner " << s.st_uid << ":" << s.st_gid << " mode " << std::oct << s.st_mode << std::dec
        << " size " << s.st_size << " atime " << s.st_atim.tv_sec << "." << s.st_atim.tv_nsec
        << " mtime " << s.st_mtim.tv_sec << "." << s.st_mtim.tv_nsec;
    return out.str();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

TEST(QuarantineRecordTest, KeepsEveryByteAndRefusesDamage) {
    const QuarantineRecord record{"/srv/w w/%41\n\xff.php",
                                  33,
                                  44,
                                  04755,
                                  12,
                                  {-5, 999999999},
                                  {1718000000, 1},
                                  std::string(64, 'a'),
                                  {1718000100, 5000},
                                  "trojan",
                                  "原因\t100%"};
    const std::string text = FormatRecord(record);
    EXPECT_EQ(ParseRecord(text), record);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12);  // the path's newline escaped

    EXPECT_FALSE(ParseRecord(text.substr(0, text.size() - 1)));  // cut short
    EXPECT_FALSE(ParseRecord(Replaced(text, "uid 33\n", "")));
    EXPECT_FALSE(ParseRecord(Replaced(text, "sha256 a", "sha256 A")));
    EXPECT_FALSE(ParseRecord(Replaced(text, "999999999", "1000000000")));
    EXPECT_FALSE(ParseRecord(Replaced(text, "%0A", "%0")));
    EXPECT_FALSE(ParseRecord(Replaced(text, "quellix-quarantine 1", "quellix-quarantine 2")));
}

class QuarantineTest : public ::testing::Test {
  protected:
    std::string At(const std::string& name) const { return tree_.Root().string() + "/" + name; }
    std::string Store() const { return At("q"); }

    TempTree tree_;
};

TEST_F(QuarantineTest, RoundTripKeepsBytesOwnerModeAndTimes) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give the file another owner";
    const std::string path = At("up\xff load.php");  // a name that is not UTF-8
    const std::string bytes("<?php eval($_POST[x]);\0\xff", 25);
    WriteFile(path, bytes);
    ASSERT_EQ(chown(path.c_str(), kStranger, kStranger + 1), 0);
    ASSERT_EQ(chmod(path.c_str(), 04751), 0);
    SetTimes(path, 123456789, 987654321);
    const std::string before = Described(path);

    const QuarantineResult moved = Quarantine(path, Store(), kWhy);
    ASSERT_TRUE(moved.ok) << moved.error;
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(StatOf(Store()).st_mode & 07777, 0700u);
    EXPECT_EQ(StatOf(Store() + "/" + moved.id + "/data").st_mode & 07777, 0400u);
    std::string error;
    const std::vector<QuarantineEntry> listed = ListQuarantine(Store(), error);
    ASSERT_EQ(listed.size(), 1u) << error;
    EXPECT_EQ(listed[0].id, moved.id);
    EXPECT_EQ(listed[0].record.path, path);
    EXPECT_EQ(listed[0].record.reason, kWhy.reason);

    const RestoreResult back = Restore(Store(), moved.id);
    EXPECT_EQ(back.outcome, Outcome::kRestored) << back.error;
    EXPECT_EQ(back.path, path);
    EXPECT_EQ(Described(path), before);
    EXPECT_EQ(Slurp(path), bytes);
    EXPECT_TRUE(Names(Store()).empty());
}

TEST_F(QuarantineTest, SameBytesFromTwoPathsMakeTwoEntries) {
    tree_.MakeDirectory("a");
    tree_.MakeDirectory("b");
    WriteFile(At("a/x.php"), "same");
    WriteFile(At("b/x.php"), "same");
    const QuarantineResult first = Quarantine(At("a/x.php"), Store(), kWhy);
    const QuarantineResult second = Quarantine(At("b/x.php"), Store(), kWhy);
    ASSERT_TRUE(first.ok && second.ok) << first.error << second.error;
    EXPECT_NE(first.id, second.id);
    EXPECT_EQ(Restore(Store(), second.id).outcome, Outcome::kRestored);
    EXPECT_EQ(Restore(Store(), first.id).outcome, Outcome::kRestored);
    EXPECT_EQ(Slurp(At("a/x.php")), "same");
    EXPECT_EQ(Slurp(At("b/x.php")), "same");
}

TEST_F(QuarantineTest, RefusesWhatCannotBeMovedWhole) {
    WriteFile(At("linked.php"), "<?php");
    ASSERT_EQ(link(At("linked.php").c_str(), At("other.php").c_str()), 0);
    ASSERT_EQ(symlink(At("linked.php").c_str(), At("pointer.php").c_str()), 0);
    ASSERT_EQ(mkfifo(At("pipe.php").c_str(), 0644), 0);
    tree_.MakeDirectory("dir.php");

    const std::pair<const char*, const char*> cases[] = {
        {"linked.php", "it has 2 hard links"},
        {"pointer.php", "it is a symbolic link"},
        {"pipe.php", "not a regular file"},
        {"dir.php", "not a regular file"},
        {"missing.php", "cannot open it: No such file or directory"},
    };
    for (const auto& [name, why] : cases) {
        const QuarantineResult result = Quarantine(At(name), Store(), kWhy);
        EXPECT_FALSE(result.ok) << name;
        EXPECT_THAT(result.error, HasSubstr(why)) << name;
    }
    EXPECT_EQ(Slurp(At("linked.php")), "<?php");
    EXPECT_EQ(StatOf(At("linked.php")).st_nlink, 2u);
    EXPECT_TRUE(S_ISLNK(StatOf(At("pointer.php")).st_mode));
    EXPECT_TRUE(Names(Store()).empty());
}

TEST_F(QuarantineTest, RestoreRefusalsChangeNothing) {
    tree_.MakeDirectory("gone");
    WriteFile(At("taken.php"), "old");
    WriteFile(At("gone/x.php"), "x");
    WriteFile(At("damaged.php"), "original bytes");
    const QuarantineResult taken = Quarantine(At("taken.php"), Store(), kWhy);
    const QuarantineResult gone = Quarantine(At("gone/x.php"), Store(), kWhy);
    const QuarantineResult damaged = Quarantine(At("damaged.php"), Store(), kWhy);
    ASSERT_TRUE(taken.ok && gone.ok && damaged.ok);

    WriteFile(At("taken.php"), "new");  // a file of the same name since
    std::filesystem::remove(At("gone"));
    const std::string data = Store() + "/" + damaged.id + "/data";
    ASSERT_EQ(chmod(data.c_str(), 0600), 0);
    WriteFile(data, "altered bytes!", 0400);

    const std::pair<const QuarantineResult*, std::string> cases[] = {
        {&taken, "a file has appeared at its path since"},
        {&gone, "its directory " + At("gone") + " no longer exists"},
        {&damaged, "the entry is damaged"},
    };
    for (const auto& [entry, why] : cases) {
        const RestoreResult result = Restore(Store(), entry->id);
        EXPECT_EQ(result.outcome, Outcome::kNotRestored);
        EXPECT_THAT(result.error, HasSubstr(why));
        EXPECT_TRUE(Exists(Store() + "/" + entry->id + "/record")) << "entry kept";
    }
    EXPECT_EQ(Slurp(At("taken.php")), "new");
    EXPECT_FALSE(Exists(At("gone")));
    EXPECT_FALSE(Exists(At("damaged.php")));
    std::vector<std::string> names = Names(tree_.Root().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"q", "taken.php"})) << "no restoring file left";
}

TEST_F(QuarantineTest, StoreMustBeItsOwnersAlone) {
    WriteFile(At("x.php"), "x");
    tree_.MakeDirectory("shared");
    ASSERT_EQ(chmod(At("shared").c_str(), 0770), 0);
    EXPECT_THAT(Quarantine(At("x.php"), At("shared"), kWhy).error,
                HasSubstr("may be written by others than its owner"));
    if (geteuid() == 0) {
        tree_.MakeDirectory("theirs");
        ASSERT_EQ(chown(At("theirs").c_str(), kStranger, kStranger), 0);
        EXPECT_THAT(PrepareQuarantineDir(At("theirs")), HasSubstr("belongs to another user"));
    }
    EXPECT_EQ(Slurp(At("x.php")), "x");
    EXPECT_EQ(PrepareQuarantineDir(Store()), "");
    EXPECT_EQ(StatOf(Store()).st_mode & 07777, 0700u);
}

TEST_F(QuarantineTest, InsideAnyResolvesLinksAndComparesWholeNames) {
    const std::string site = tree_.MakeDirectory("site").string();
    tree_.MakeDirectory("site2");
    ASSERT_EQ(symlink(site.c_str(), At("link").c_str()), 0);
    EXPECT_TRUE(InsideAny(site, {site}));
    EXPECT_TRUE(InsideAny(site + "/not/yet/made", {At("x"), site + "/"}));
    EXPECT_TRUE(InsideAny(At("link/q"), {site}));
    EXPECT_TRUE(InsideAny(At("site2/../site/q"), {site}));
    EXPECT_FALSE(InsideAny(At("site2/q"), {site}));
    EXPECT_FALSE(InsideAny(Store(), {site}));
}

// The unprivileged user nobody, or nullopt where there is none.
std::optional<std::pair<uid_t, gid_t>> Nobody() {
    const passwd* entry = getpwnam("nobody");
    if (!entry || entry->pw_uid == 0) return std::nullopt;
    return std::pair(entry->pw_uid, entry->pw_gid);
}

// Runs `steps` unprivileged, as nobody in a child process when running as
// root, and returns what they report.
std::string Unprivileged(const std::function<std::string()>& steps) {
    if (geteuid() != 0) return steps();
    const auto [uid, gid] = *Nobody();
    int report[2];
    if (pipe(report) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        std::string said = setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0
                               ? steps()
                               : "cannot become nobody";
        if (write(report[1], said.data(), said.size()) < 0) _exit(1);
        _exit(0);
    }
    close(report[1]);
    std::string said;
    char buffer[512];
    for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;) said.append(buffer, got);
    close(report[0]);
    waitpid(child, nullptr, 0);
    return said;
}

class UnprivilegedTest : public QuarantineTest {
  protected:
    void SetUp() override {
        const bool root = geteuid() == 0;
        if (root && !Nobody()) GTEST_SKIP() << "no user nobody to switch to";
        // The user's own corner of the tree: the site and its quarantine.
        for (const char* dir : {"www", "private"}) {
            tree_.MakeDirectory(dir);
            if (root) {
                ASSERT_EQ(chown(At(dir).c_str(), Nobody()->first, Nobody()->second), 0);
            }
        }
    }
    std::string NobodysStore() const { return At("private/q"); }
};

TEST_F(UnprivilegedTest, RoundTripOfItsOwnFile) {
    const std::string path = At("www/shell.php");
    const std::string said = Unprivileged([&] {
        WriteFile(path, "<?php system($_GET[c]);", 0640);
        SetTimes(path, 5, 6);
        const std::string before = Described(path);
        const QuarantineResult moved = Quarantine(path, NobodysStore(), kWhy);
        if (!moved.ok) return "not quarantined: " + moved.error;
        if (Exists(path)) return std::string("the original is still there");
        const RestoreResult back = Restore(NobodysStore(), moved.id);
        if (back.outcome != Outcome::kRestored) return "not restored: " + back.error;
        if (Described(path) != before) return before + " came back as " + Described(path);
        // A quarantine directory it may not write to: the file must stay.
        chmod(NobodysStore().c_str(), 0500);
        const QuarantineResult refused = Quarantine(path, NobodysStore(), kWhy);
        if (refused.ok || Described(path) != before) return std::string("moved anyway");
        return refused.error;
    });
    EXPECT_EQ(said, "cannot create an entry in the quarantine directory: Permission denied");
    EXPECT_EQ(Slurp(path), "<?php system($_GET[c]);");
}

TEST_F(UnprivilegedTest, RestoresWithoutTheOwnerAndSaysSo) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to quarantine another user's file";
    const std::string path = At("www/x.php");
    WriteFile(path, "x");
    ASSERT_EQ(chown(path.c_str(), kStranger, kStranger), 0);
    ASSERT_EQ(chmod(path.c_str(), 06755), 0);
    SetTimes(path, 7, 8);
    const QuarantineResult moved = Quarantine(path, NobodysStore(), kWhy);
    ASSERT_TRUE(moved.ok) << moved.error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(NobodysStore())) {
        ASSERT_EQ(lchown(entry.path().c_str(), Nobody()->first, Nobody()->second), 0);
    }
    ASSERT_EQ(chown(NobodysStore().c_str(), Nobody()->first, Nobody()->second), 0);

    const std::string said = Unprivileged([&] {
        const RestoreResult back = Restore(NobodysStore(), moved.id);
        return std::to_string(static_cast<int>(back.outcome)) + " " + back.error;
    });
    EXPECT_EQ(said, "1 its owner 12345:12345 could not be restored: Operation not permitted");
    const struct stat restored = StatOf(path);
    EXPECT_EQ(restored.st_uid, Nobody()->first);
    EXPECT_EQ(restored.st_mode & 07777, 0755u) << "no set-ID bits for the wrong owner";
    EXPECT_EQ(restored.st_mtim.tv_nsec, 8);
    EXPECT_TRUE(Names(NobodysStore()).empty());
}

// The quarantine on another file system than the site: a tmpfs mounted in a
// mount namespace of the test's own, gone with it.
class OtherFileSystemTest : public QuarantineTest {
  protected:
    static void SetUpTestSuite() {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            cannot_mount_ = std::strerror(errno);
        }
    }
    void SetUp() override {
        if (!cannot_mount_.empty()) GTEST_SKIP() << "cannot mount a tmpfs: " << cannot_mount_;
        const std::string options = "size=" + std::to_string(kStoreSize) + ",mode=0700";
        tree_.MakeDirectory("q");
        ASSERT_EQ(mount("tmpfs", Store().c_str(), "tmpfs", 0, options.c_str()), 0)
            << std::strerror(errno);
    }
    void TearDown() override { umount2(Store().c_str(), MNT_DETACH); }

    static constexpr int kStoreSize = 64 * 1024;
    static inline std::string cannot_mount_;
};

TEST_F(OtherFileSystemTest, MovesAcrossAndBack) {
    WriteFile(At("x.php"), "<?php", 0604);
    SetTimes(At("x.php"), 1, 2);
    const std::string before = Described(At("x.php"));
    const QuarantineResult moved = Quarantine(At("x.php"), Store(), kWhy);
    ASSERT_TRUE(moved.ok) << moved.error;
    EXPECT_NE(StatOf(Store() + "/" + moved.id + "/data").st_dev, StatOf(At("")).st_dev);
    EXPECT_EQ(Restore(Store(), moved.id).outcome, Outcome::kRestored);
    EXPECT_EQ(Described(At("x.php")), before);
}

TEST_F(OtherFileSystemTest, FullQuarantineLeavesTheOriginal) {
    const std::string bytes(4 * kStoreSize, 'x');
    WriteFile(At("big.php"), bytes);
    const std::string before = Described(At("big.php"));
    const QuarantineResult result = Quarantine(At("big.php"), Store(), kWhy);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "cannot write the copy: No space left on device");
    EXPECT_EQ(Described(At("big.php")), before);
    EXPECT_EQ(Slurp(At("big.php")), bytes);
    EXPECT_TRUE(Names(Store()).empty()) << "the partial copy is gone";
}

}  // namespace
