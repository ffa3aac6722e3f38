// `quellix restore` as scripts see it: one line per file, failures on
// standard error, and exit statuses 0, 1 and 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quarantine.h"
#include "quarantine_files.h"
#include "temp_tree.h"

namespace {

using namespace qx::cli;
using namespace qx::test;

using Result = CliResult;

class RestoreCommandTest : public ::testing::Test {
  protected:
    Result Run(const std::vector<std::string>& args) { return RunQuellix(args, io_.Root()); }
    std::string At(const std::string& name) const { return tree_.Root().string() + "/" + name; }
    std::string Store() const { return At("q"); }
    std::string Take(const std::string& name) {
        const QuarantineResult moved = Quarantine(At(name), Store(), {"trojan", "原因"});
        if (!moved.ok) throw std::runtime_error(moved.error);
        return moved.id;
    }

    TempTree tree_, io_;
};

TEST_F(RestoreCommandTest, ListsRestoresAndExitsByOutcome) {
    WriteFile(At("a\xff.php"), "a");  // shown escaped, as `ls -b` would
    WriteFile(At("b.php"), "b");
    const std::string a = Take("a\xff.php"), b = Take("b.php");
    const std::string shown_a = At("a\\377.php");

    const Result listed = Run({"restore", "--list", Store()});
    EXPECT_EQ(listed.status, 0);
    std::istringstream lines(listed.out);
    for (const auto& [id, path] : {std::pair(a, shown_a), std::pair(b, At("b.php"))}) {
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line.substr(0, id.size() + 1), id + "\t");
        const std::string time = line.substr(id.size() + 1, 20);  // 2024-06-10T06:15:00Z
        EXPECT_TRUE(time.starts_with("20") && time.ends_with("Z")) << time;
        EXPECT_EQ(line.substr(id.size() + 21), "\ttrojan\t" + path + "\t原因");
    }

    // Bad usage restores nothing.
    const std::string unknown(32, '0');
    EXPECT_EQ(Run({"restore", Store(), a, unknown}).err,
              "quellix: unknown quarantine ID: " + unknown + "\n");
    EXPECT_EQ(Run({"restore", Store(), a, unknown}).status, 2);
    EXPECT_EQ(Run({"restore", At("missing")}).status, 2);
    EXPECT_EQ(Run({"restore", "--list", Store(), a}).status, 2);
    EXPECT_FALSE(Exists(At("a\xff.php")));

    WriteFile(At("b.php"), "since");
    const Result all = Run({"restore", Store()});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.out, "restored\t" + shown_a + "\n");
    EXPECT_EQ(all.err, "quellix: " + b + ": refused: a file has appeared at its path since\n");
    EXPECT_EQ(Slurp(At("a\xff.php")), "a");
    EXPECT_EQ(Slurp(At("b.php")), "since");

    std::filesystem::remove(At("b.php"));
    const Result json = Run({"restore", "--json", Store(), b});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out,
              "{\"id\":\"" + b + "\",\"path\":\"" + At("b.php") + "\",\"result\":\"restored\"}\n");
    EXPECT_EQ(Run({"restore", Store()}).status, 0) << "nothing left is nothing failed";
}

}  // namespace
