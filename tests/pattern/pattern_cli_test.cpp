// `quellix regex` as rule authors and outside suites call it: exact JSON,
// positions in UTF-16 units, exit 0 on a match, 1 without, 2 on bad usage.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class RegexCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/quellix-regex-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
    }
    void TearDown() override { std::system(("rm -rf " + Quote(folder_)).c_str()); }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    Outcome Regex(const std::vector<std::string>& arguments) {
        std::string command = std::string(QX_CLI_PATH) + " regex";
        for (const std::string& argument : arguments) command += " " + Quote(argument);
        const std::string out = folder_ + "/out", err = folder_ + "/err";
        const int raw = std::system((command + " >" + out + " 2>" + err + " </dev/null").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
    }

    std::string folder_;
};

TEST_F(RegexCommand, PrintsTheGroupsOfAMatch) {
    const struct {
        std::vector<std::string> arguments;
        std::string out;
        int status;
    } cases[] = {
        {{"(a)(b)?", "xa"}, "{\"matched\":true,\"groups\":[[1,2],[1,2],[-1,-1]]}\n", 0},
        {{"zz", "abc"}, "{\"matched\":false,\"groups\":[]}\n", 1},
        {{"", ""}, "{\"matched\":true,\"groups\":[[0,0]]}\n", 0},
        // Positions count UTF-16 units: the emoji takes two.
        {{"(\xE4\xB8\xAD)x", "\xF0\x9F\x98\x80\xE4\xB8\xADx"},
         "{\"matched\":true,\"groups\":[[2,4],[2,3]]}\n",
         0},
        {{"-i", "ABC", "xabc"}, "{\"matched\":true,\"groups\":[[1,4]]}\n", 0},
        {{"-m", "^b", "a\nb"}, "{\"matched\":true,\"groups\":[[2,3]]}\n", 0},
        {{"^b", "a\nb"}, "{\"matched\":false,\"groups\":[]}\n", 1},
        {{"-s", "a.b", "a\nb"}, "{\"matched\":true,\"groups\":[[0,3]]}\n", 0},
        {{"-x", "a b # note", "ab"}, "{\"matched\":true,\"groups\":[[0,2]]}\n", 0},
        {{"-r", "a", "aba"}, "{\"matched\":true,\"groups\":[[2,3]]}\n", 0},
        {{"--", "-a", "x-a"}, "{\"matched\":true,\"groups\":[[1,3]]}\n", 0},
        {{"(?R)", "abc"}, "{\"matched\":false,\"groups\":[]}\n", 1},
    };
    for (const auto& row : cases) {
        const Outcome run = Regex(row.arguments);
        EXPECT_EQ(run.out, row.out) << row.arguments.front();
        EXPECT_EQ(run.status, row.status) << row.arguments.front();
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(RegexCommand, SearchesAFileWholeNulsIncluded) {
    const std::string file = WriteFile("text.txt", std::string("<?php\0eval($x);", 15));
    Outcome run = Regex({"\\beval\\(", "--text-file", file});
    EXPECT_EQ(run.out, "{\"matched\":true,\"groups\":[[6,11]]}\n");
    EXPECT_EQ(run.status, 0);

    const std::string marked = WriteFile("marked.txt",
                                         "\xEF\xBB\xBF"
                                         "abc");
    run = Regex({"b", "--text-file", marked});
    EXPECT_EQ(run.out, "{\"matched\":true,\"groups\":[[1,2]]}\n");
}

TEST_F(RegexCommand, BadUsageExitsWithTwo) {
    const std::string file = WriteFile("text.txt", "abc");
    const std::vector<std::vector<std::string>> cases = {
        {"a"},
        {"a", "b", "--text-file", file},
        {"a", "--text-file", folder_ + "/missing.txt"},
        {},
        {"-q", "a", "b"},
    };
    for (const auto& arguments : cases) {
        const Outcome run = Regex(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "");
    }
}

}  // namespace
