// The text reader: encoding by byte-order mark, line joining, and the
// characters a hostile file may use to hide a payload.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fingerprint.h"
#include "temp_tree.h"
#include "text_file_read.h"

namespace qx {
namespace {

using test::TempTree;

std::u16string ReadAll(const TempTree& tree, std::string_view bytes,
                       TextEncoding* encoding = nullptr, std::u16string_view separator = u"\r\n") {
    tree.Write("f.txt", bytes);
    CTextFileRead reader(tree.Path("f.txt"));
    EXPECT_TRUE(reader.IsOpen());
    if (encoding) *encoding = reader.Encoding();
    TextBuffer text;
    EXPECT_TRUE(reader.ReadText(text, separator));
    return std::u16string(text.View());
}

struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    std::u16string text;
};

TEST(TextReader, DecodesByMarkAndJoinsLines) {
    const std::u16string joined = u"a\r\nb";
    const Case cases[] = {
        {"plain ascii", "a\nb", EncodingAnsi, joined},
        {"cr lf kept as one", "a\r\nb", EncodingAnsi, joined},
        {"lone cr", "x\ry\nz\r\n", EncodingAnsi, u"x\r\ny\r\nz\r\n"},
        {"lf then cr ends two lines", "a\n\rb", EncodingAnsi, u"a\r\n\r\nb"},
        {"trailing terminator kept", "a\n", EncodingAnsi, u"a\r\n"},
        {"empty file", "", EncodingAnsi, u""},
        {"only terminators", "\r\n\r\n", EncodingAnsi, u"\r\n\r\n"},
        {"utf-8 mark cut short is ansi", "\xEF\xBB\x41", EncodingAnsi, u"\uFFFDA"},
        {"utf-8 with mark", "\xEF\xBB\xBF\xE6\xB5\xB7 \xC3\xA9\n", EncodingUtf8,
         u"\u6D77 \u00E9\r\n"},
        {"utf-8 four-byte sequence", "\xEF\xBB\xBF\xF0\x9F\x98\x80", EncodingUtf8,
         u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"utf-8 stray continuation",
         "\xEF\xBB\xBF"
         "a\x80z",
         EncodingUtf8, u"a\uFFFDz"},
        {"utf-8 cut at the end",
         "\xEF\xBB\xBF"
         "ab\xE6\xB5",
         EncodingUtf8, u"ab\uFFFD"},
        // A bad sequence never takes the byte that broke it: the line break
        // and the next line's first letter survive.
        {"utf-8 invalid sequence before a line break",
         "\xEF\xBB\xBF"
         "x\xE0\neval\xE6\xB5z",
         EncodingUtf8, u"x\uFFFD\r\neval\uFFFDz"},
        {"utf-8 overlong and surrogate forms",
         "\xEF\xBB\xBF"
         "\xC0\xAF\xED\xA0\x80/",
         EncodingUtf8, u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD/"},
        {"utf-16 le", test::Utf16Le(u"a\r\nb"), EncodingUtf16LittleEndian, joined},
        {"utf-16 be", test::Utf16Be(u"a\nb\u6D77"), EncodingUtf16BigEndian, u"a\r\nb\u6D77"},
        {"utf-16 mark only", "\xFF\xFE", EncodingUtf16LittleEndian, u""},
        {"utf-16 odd last byte dropped", test::Utf16Le(u"ab") + "c", EncodingUtf16LittleEndian,
         u"ab"},
    };
    for (const Case& c : cases) {
        TempTree tree;
        TextEncoding encoding;
        const std::u16string text = ReadAll(tree, c.bytes, &encoding);
        EXPECT_EQ(encoding, c.encoding) << c.name;
        // The same bytes held in memory read the same.
        ReadBuffers buffers;
        const std::unique_ptr<os::TextDecoder> ansi = os::MakeAnsiDecoder();
        CTextFileRead held(c.bytes, *ansi, buffers);
        TextBuffer held_text;
        ASSERT_TRUE(held.ReadText(held_text, u"\r\n"));
        EXPECT_EQ(held_text.View(), text) << c.name;
        // The C locale reads invalid UTF-8 as U+FFFD; a Windows code page may differ.
#ifdef _WIN32
        if (c.encoding == EncodingAnsi && c.text.find(u'\uFFFD') != std::u16string::npos) continue;
#endif
        EXPECT_EQ(text, c.text) << c.name;
    }
}

TEST(TextReader, KeepsEveryCharacterBehindNul) {
    TempTree tree;
    // A script appended to an image: NUL bytes must not hide what follows.
    std::string image("GIF89a\0\0\x01\0", 10);
    EXPECT_EQ(ReadAll(tree, image + "<?php eval($_POST[x]);?>"),
              std::u16string(u"GIF89a\0\0\x01\0", 10) + u"<?php eval($_POST[x]);?>");
    EXPECT_EQ(ReadAll(tree, test::Utf16Le(std::u16string(u"a\0b", 3))), std::u16string(u"a\0b", 3));
}

TEST(TextReader, LongLinesAndBlockBoundariesArriveWhole) {
    TempTree tree;
    // Lines cross the reader's block size, and a CR LF pair straddles it.
    std::string bytes(64 * 1024 - 1, 'x');
    bytes += "\r\n";
    bytes += std::string(200000, 'y');
    const std::u16string text = ReadAll(tree, bytes, nullptr, u"|");
    ASSERT_EQ(text.size(), 64 * 1024 - 1 + 1 + 200000u);
    EXPECT_EQ(text[64 * 1024 - 1], u'|');
    EXPECT_EQ(text.back(), u'y');

    // A UTF-8 character split by the block boundary is decoded whole.
    std::string utf8 = "\xEF\xBB\xBF" + std::string(64 * 1024 - 4, 'a') + "\xE6\xB5\xB7";
    const std::u16string decoded = ReadAll(tree, utf8);
    EXPECT_EQ(decoded.size(), 64 * 1024 - 4 + 1u);
    EXPECT_EQ(decoded.back(), u'\u6D77');
}

TEST(Utf8Decoder, SequencesSplitAcrossBlocksAndFourByteForms) {
    // Fed one byte at a time, as block ends may cut any sequence.
    const std::string bytes = "a\xE6\xB5\xB7\xF0\x9F\x98\x80\xF0\x9F";
    os::Utf8Decoder decoder;
    std::u16string out;
    std::size_t pending = 0;
    for (std::size_t end = 1; end <= bytes.size(); ++end) {
        const bool at_end = end == bytes.size();
        const auto* start = reinterpret_cast<const std::uint8_t*>(bytes.data()) + pending;
        char16_t units[16];
        std::size_t produced = 0;
        pending += decoder.Decode(start, end - pending, at_end, units, produced);
        out.append(units, produced);
    }
    EXPECT_EQ(pending, bytes.size());
    EXPECT_EQ(out, u"a\u6D77\U0001F600\uFFFD");
}

TEST(TextReader, TextStopsAtItsCapAndSaysSo) {
    // Line breaks count toward the cap: they are units of the text.
    TempTree tree;
    tree.Write("lines.txt", std::string(CTextFileRead::kMaxTextUnits / 2 + 10, '\n'));
    CTextFileRead reader(tree.Path("lines.txt"));
    TextBuffer text;
    ASSERT_TRUE(reader.ReadText(text, u"\r\n"));
    EXPECT_EQ(text.size(), CTextFileRead::kMaxTextUnits);
    EXPECT_TRUE(reader.Truncated());
}

TEST(TextReader, FoldingLowersOnlyAsciiLettersInEveryReading) {
    // Long enough for the many-units-a-step paths, with the edges of A..Z
    // and characters outside ASCII beside them.
    const std::u16string line = u"@AZ[`az{ Mixed\u00C9 EVAL(\u6D77) 0123456789ABCDEFGHIJ\r\n";
    const std::u16string folded = u"@az[`az{ mixed\u00C9 eval(\u6D77) 0123456789abcdefghij|";
    const std::string line_utf8 =
        "@AZ[`az{ Mixed\xC3\x89 EVAL(\xE6\xB5\xB7) 0123456789ABCDEFGHIJ\r\n";
    std::string utf8;
    std::u16string utf16, expected;
    for (int i = 0; i < 40; ++i) utf8 += line_utf8, utf16 += line, expected += folded;
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8, test::Utf16Le(utf16)}) {
        ReadBuffers buffers;
        os::Utf8Decoder decoder;
        CTextFileRead reader(bytes, decoder, buffers);
        reader.FoldAsciiLetters(true);
        TextBuffer text;
        ASSERT_TRUE(reader.ReadText(text, u"|"));
        EXPECT_EQ(text.View(), expected) << reader.Encoding();
    }
}

TEST(TextReader, MissingFileLeavesTextUntouched) {
    TempTree tree;
    CTextFileRead reader(tree.Path("absent.asp"));
    EXPECT_FALSE(reader.IsOpen());
    TextBuffer text;
    *text.Room(4) = u'k';
    text.Commit(1);
    EXPECT_FALSE(reader.ReadText(text, u"\r\n"));
    EXPECT_EQ(text.View(), u"k");
}

TEST(Fingerprint, IsCrc64We) {
    EXPECT_EQ(~Crc64WeUpdate(kCrc64WeInit, "123456789", 9), 0x62EC59E3F1A4F00AULL);
    // Longer runs take the eight-byte and sixteen-byte (folding) paths: each
    // must continue any register as the byte-wise one does.
    std::string data;
    for (int i = 0; i < 1000; ++i) data.push_back(static_cast<char>(i * 37 + 11 + i / 7));
    std::vector<std::uint64_t> bytewise{kCrc64WeInit};
    for (char c : data) bytewise.push_back(Crc64WeUpdate(bytewise.back(), &c, 1));
    for (std::size_t from : {0, 1, 9, 100}) {
        for (std::size_t size = 0; from + size <= data.size(); size += size < 200 ? 1 : 97) {
            ASSERT_EQ(Crc64WeUpdate(bytewise[from], data.data() + from, size),
                      bytewise[from + size])
                << from << "+" << size;
        }
    }

    TempTree tree;
    tree.Write("check.txt", "123456789");
    tree.Write("empty.txt", "");
    EXPECT_EQ(FileFingerprint(tree.Path("check.txt")), 0x62EC59E3F1A4F00AULL);
    EXPECT_EQ(FileFingerprint(tree.Path("empty.txt")), 0u);
    EXPECT_EQ(FileFingerprint(tree.Path("absent.txt")), 0u);
}

}  // namespace
}  // namespace qx
