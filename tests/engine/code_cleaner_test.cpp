// The cleaner must blank exactly the first occurrence and leave every other
// byte, the length and the files it must not touch as they were.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "code_cleaner.h"
#include "quick_search.h"
#include "temp_tree.h"

namespace qx {
namespace {

using test::TempTree;
const std::u16string kCode = u"<script src=http://x.example/a.js></script>";
const std::string kCode8 = "<script src=http://x.example/a.js></script>";
const std::string kBlank8(kCode8.size(), ' ');

CleanResult Clean(const TempTree& tree, std::string_view name, std::u16string_view code = kCode) {
    return CleanFile(BuildCleanCode(code), tree.Path(name)).Result();
}

TEST(QuickSearch, FindsFirstOccurrence) {
    const auto find = [](std::string_view hay, std::string_view needle) {
        return QuickSearch(reinterpret_cast<const std::uint8_t*>(hay.data()), hay.size(),
                           reinterpret_cast<const std::uint8_t*>(needle.data()), needle.size());
    };
    EXPECT_EQ(find("abcabc", "bc"), 1);
    EXPECT_EQ(find("abcabc", "abc"), 0);
    EXPECT_EQ(find("xxabc", "abc"), 2);  // at the very end
    EXPECT_EQ(find("abc", "abcd"), -1);
    EXPECT_EQ(find("aaaa", "b"), -1);
    EXPECT_EQ(find("abc", ""), 0);
    EXPECT_EQ(find(std::string_view("a\0b\0c", 5), std::string_view("b\0c", 3)), 2);
}

TEST(CleanFile, BlanksOnlyTheFirstOccurrence) {
    TempTree tree;
    const std::string page = "<html>" + kCode8 + "<p>x</p>" + kCode8 + "</html>";
    tree.Write("index.html", page);
    EXPECT_EQ(Clean(tree, "index.html"), CleanSucceeded);
    EXPECT_EQ(tree.Read("index.html"), "<html>" + kBlank8 + "<p>x</p>" + kCode8 + "</html>");
    EXPECT_EQ(Clean(tree, "index.html"), CleanSucceeded);  // a second run takes the second copy
    EXPECT_EQ(tree.Read("index.html"), "<html>" + kBlank8 + "<p>x</p>" + kBlank8 + "</html>");
    EXPECT_EQ(Clean(tree, "index.html"), CleanNoMatch);
}

TEST(CleanFile, Utf16PageKeepsMarkAndLength) {
    TempTree tree;
    const std::string page = test::Utf16Le(u"<b>\u6D77</b>" + kCode + u"end");
    tree.Write("u.htm", page);
    EXPECT_EQ(Clean(tree, "u.htm"), CleanSucceeded);
    const std::string after = tree.Read("u.htm");
    EXPECT_EQ(after, test::Utf16Le(u"<b>\u6D77</b>" + std::u16string(kCode.size(), u' ') + u"end"));
}

TEST(CleanFile, MatchIsExact) {
    TempTree tree;
    std::string upper = kCode8;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    tree.Write("case.asp", upper);
    tree.Write("lf.php", "<a>\n<b>");
    EXPECT_EQ(Clean(tree, "case.asp"), CleanNoMatch);
    EXPECT_EQ(Clean(tree, "lf.php", u"<a>\r\n<b>"), CleanNoMatch);
    EXPECT_EQ(tree.Read("case.asp"), upper);
}

TEST(CleanFile, ChunkAndSizeLimits) {
    TempTree tree;
    // An occurrence running across the first chunk boundary is found too.
    std::string straddling(kCleanChunkBytes - 10, 'a');
    tree.Write("straddle.js", straddling + kCode8);
    EXPECT_EQ(Clean(tree, "straddle.js"), CleanSucceeded);
    EXPECT_EQ(tree.Read("straddle.js"), straddling + kBlank8);

    // One wholly in the second chunk is, and only that chunk changes.
    std::string second(kCleanChunkBytes + 5, 'b');
    second += kCode8 + "tail";
    tree.Write("second.js", second);
    EXPECT_EQ(Clean(tree, "second.js"), CleanSucceeded);
    EXPECT_EQ(tree.Read("second.js"), std::string(kCleanChunkBytes + 5, 'b') + kBlank8 + "tail");

    // Exactly 10 MiB is searched; one byte more is skipped; empty pages too.
    std::string limit = kCode8 + std::string(kMaxPageBytes - kCode8.size(), 'c');
    tree.Write("limit.txt", limit);
    tree.Write("over.txt", limit + "c");
    tree.Write("empty.txt", "");
    EXPECT_EQ(Clean(tree, "limit.txt"), CleanSucceeded);
    EXPECT_EQ(std::filesystem::file_size(tree.Root() / "limit.txt"), kMaxPageBytes);
    EXPECT_EQ(Clean(tree, "over.txt"), CleanNoMatch);
    EXPECT_EQ(Clean(tree, "empty.txt"), CleanNoMatch);
}

TEST(CleanFile, NeverWritesWhatItMustNot) {
    TempTree tree;
    tree.Write("page.htm", kCode8);
    EXPECT_EQ(CleanFile(CleanCode{}, tree.Path("page.htm")).Result(),
              CleanNoMatch);  // code never set
    EXPECT_EQ(tree.Read("page.htm"), kCode8);
    EXPECT_EQ(Clean(tree, "absent.htm"), CleanNoMatch);
#ifndef _WIN32
    // A link is not followed out of the tree, and a read-only page is left alone.
    TempTree outside;
    outside.Write("target.htm", kCode8);
    std::filesystem::create_symlink(outside.Root() / "target.htm", tree.Root() / "link.htm");
    EXPECT_EQ(Clean(tree, "link.htm"), CleanNoMatch);
    EXPECT_EQ(outside.Read("target.htm"), kCode8);
    if (geteuid() != 0) {  // root writes read-only files anyway
        std::filesystem::permissions(tree.Root() / "page.htm", std::filesystem::perms::owner_read);
        EXPECT_EQ(Clean(tree, "page.htm"), CleanNoMatch);
    }
#endif
}

TEST(BuildCleanCode, ThreeFormsOfEqualLengthBlanks) {
    const CleanCode code = BuildCleanCode(u"<i>\u00E9</i>");
    EXPECT_TRUE(code.set);
    EXPECT_EQ(code.utf16.pattern, test::Utf16Le(u"<i>\u00E9</i>", false));
    for (const CleanForm* form : {&code.utf8, &code.ansi, &code.utf16}) {
        EXPECT_EQ(form->pattern.size(), form->blanks.size());
    }
    EXPECT_EQ(code.utf16.blanks.substr(0, 4), std::string(" \0 \0", 4));
#ifndef _WIN32
    EXPECT_EQ(code.utf8.pattern, "<i>\xC3\xA9</i>");
#endif
}

}  // namespace
}  // namespace qx
