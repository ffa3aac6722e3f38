#include "host/qqwry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/qqwry_writer.h"
#include "temp_database.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using qx::host::BuildQqwryDatabase;
using qx::host::QqwryImage;
using qx::host::QqwryRecord;

constexpr std::u16string_view kMiss = CQQwry::kNoInformation;

std::u16string Ascii(std::string_view text) {
    return {text.begin(), text.end()};
}

std::u16string LookupIn(const QqwryImage& image, std::string_view ip) {
    TempDatabase file(image);
    CQQwry database;
    database.Open(file.path().u16string());
    return database.Lookup(ip);
}

void PutU24(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 3; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(IpNumber, ReadsEachPartAsAtoiCutToEightBits) {
    const struct {
        const char* text;
        std::uint32_t number;
    } cases[] = {
        {"1.2.3.4", 0x01020304},
        {"255.255.255.255", 0xFFFFFFFF},
        {"10.0.0.1", 0x0A000001},
        {"1.2", 0x01020000},
        {"1.2.3.4.5", 0x01020304},
        {"256.1.1.1", 0x00010101},
        {"-1.0.0.0", 0xFF000000},
        {" 7.8.9.10", 0x0708090A},
        {"1.2.3.4abc", 0x01020304},
        {"a.b.c.d", 0},
        {"...", 0},
        {"300.300.300.300", 0x2C2C2C2C},
    };
    for (const auto& c : cases) EXPECT_EQ(CQQwry::IpNumber(c.text), c.number) << c.text;
}

// Every shape of record, each a range of its own with its own first string.
TEST(QqwryLookup, FindsTheFirstStringOfEveryRecordShape) {
    std::vector<QqwryRecord> records;
    for (int shape = 1; shape <= 8; ++shape) {
        const std::uint32_t start = static_cast<std::uint32_t>(shape) << 24;
        records.push_back({start, start + 0xFFFFFF, "country" + std::to_string(shape),
                           "area" + std::to_string(shape), shape});
    }
    // Repeated strings and blocks are shared, so redirections point at the same bytes.
    records.push_back({0x09000000, 0x09FFFFFF, "country8", "area8", 8});
    records.push_back({0x0A000000, 0x0AFFFFFF, "country3", "area4", 4});
    TempDatabase file(BuildQqwryDatabase(records));
    CQQwry database;
    database.Open(file.path().u16string());
    ASSERT_TRUE(database.IsOpen());
    for (const QqwryRecord& record : records) {
        char ip[32];
        std::snprintf(ip, sizeof ip, "%u.1.2.3", record.startIp >> 24);
        EXPECT_EQ(database.Lookup(ip), Ascii(record.country)) << "shape " << record.shape;
    }
}

TEST(QqwryLookup, EdgesOfTheAddressSpaceAndOfRecords) {
    const QqwryImage image = BuildQqwryDatabase({
        {0x01000000, 0x01FFFFFF, "one", "", 1},
        {0x03000000, 0x03FFFFFF, "three", "", 3},
        {0x05000000, 0x050000FF, "five", "", 5},
        {0x06000000, 0x06FFFFFF, "six", "", 7},
    });
    TempDatabase file(image);
    CQQwry database;
    database.Open(file.path().u16string());
    const struct {
        const char* ip;
        std::u16string_view location;
    } cases[] = {
        {"", CQQwry::kAskForAddress}, {"0.0.0.0", kMiss},   // below the first start IP
        {"0.255.255.255", kMiss},     {"1.0.0.0", u"one"},  // a start IP
        {"1.255.255.255", u"one"},                          // an end IP
        {"2.0.0.0", kMiss},                                 // a gap between records
        {"3.128.0.0", u"three"},      {"5.0.0.255", u"five"},
        {"5.0.1.0", kMiss},           {"6.0.0.0", u"six"},  // the last record
        {"6.255.255.255", u"six"},    {"7.0.0.0", kMiss},   // above the last end IP
        {"255.255.255.255", kMiss},
    };
    for (const auto& c : cases) EXPECT_EQ(database.Lookup(c.ip), c.location) << c.ip;
}

TEST(QqwryLookup, SearchesAThousandRecordsWithGaps) {
    std::vector<QqwryRecord> records;
    for (std::uint32_t i = 0; i < 1000; ++i) {
        const std::uint32_t start = 0x10000000 + i * 0x10000;
        char name[16];
        std::snprintf(name, sizeof name, "r%u", i);
        records.push_back({start, start + 0x7FFF, name, "", int(i % 8) + 1});
    }
    TempDatabase file(BuildQqwryDatabase(records));
    CQQwry database;
    database.Open(file.path().u16string());
    for (std::uint32_t i = 0; i < records.size(); ++i) {
        const std::u16string expected = Ascii(records[i].country);
        for (const std::uint32_t ip :
             {records[i].startIp, records[i].startIp + 0x1234, records[i].endIp}) {
            char text[16];
            std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF,
                          (ip >> 8) & 0xFF, ip & 0xFF);
            ASSERT_EQ(database.Lookup(text), expected) << text;
        }
        char gap[16];
        const std::uint32_t ip = records[i].endIp + 1;
        std::snprintf(gap, sizeof gap, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF,
                      ip & 0xFF);
        ASSERT_EQ(database.Lookup(gap), kMiss) << gap;
    }
}

TEST(QqwryLookup, ASingleRecordNeverMatches) {
    const QqwryImage image = BuildQqwryDatabase({{0, 0xFFFFFFFF, "everywhere", "", 1}});
    for (const char* ip : {"0.0.0.0", "1.2.3.4", "255.255.255.255"}) {
        EXPECT_EQ(LookupIn(image, ip), kMiss) << ip;
    }
}

// The search answers as soon as an address equals the start IP it lands on,
// without looking at that record's end IP.
TEST(QqwryLookup, AnAddressEqualToAStartIpIsFoundAtOnce) {
    const QqwryImage image = BuildQqwryDatabase({
        {0x01000000, 0x01FFFFFF, "first", "", 1},
        {0x05000000, 0x04000000, "inverted", "", 1},  // end below start
        {0x09000000, 0x09FFFFFF, "last", "", 1},
    });
    EXPECT_EQ(LookupIn(image, "5.0.0.0"), u"inverted");
    EXPECT_EQ(LookupIn(image, "5.0.0.1"), kMiss);
}

TEST(QqwryLookup, CutsStringsAtFiftyBytes) {
    const std::string longName(80, 'x');
    for (int shape : {1, 3, 5, 7}) {
        const QqwryImage image = BuildQqwryDatabase({
            {0x01000000, 0x01FFFFFF, "a", "", 1},
            {0x02000000, 0x02FFFFFF, longName, "", shape},
            {0x03000000, 0x03FFFFFF, "c", "", 1},
        });
        EXPECT_EQ(LookupIn(image, "2.0.0.1"), Ascii(longName.substr(0, 50))) << "shape " << shape;
    }
}

TEST(QqwryLookup, AStringBeyondTheLastIndexRecordIsEmpty) {
    QqwryImage image = BuildQqwryDatabase({
        {0x01000000, 0x01FFFFFF, "a", "", 1},
        {0x02000000, 0x02FFFFFF, "b", "", 3},
        {0x03000000, 0x03FFFFFF, "c", "", 1},
    });
    PutU24(image.bytes, image.dataOffsets[1] + 5, image.lastIndex + 1);
    EXPECT_EQ(LookupIn(image, "2.0.0.1"), u"");
    EXPECT_EQ(LookupIn(image, "3.0.0.1"), u"c");
}

// The test runs in an English locale (code page 1252 under Wine, plain ASCII
// on POSIX): the database's GBK is read as GBK all the same.
TEST(QqwryLookup, ConvertsGbkLocationsWhateverTheLocale) {
#ifdef _WIN32
    ASSERT_NE(GetACP(), 936u);
#endif
    const std::string beijing = "\xB1\xB1\xBE\xA9\xCA\xD0";  // 北京市
    const std::string telecom = "\xB5\xE7\xD0\xC5";          // 电信
    const QqwryImage image = BuildQqwryDatabase({
        {0x01000000, 0x01FFFFFF, "a", "", 1},
        {0x3B000000, 0x3BFFFFFF, beijing, telecom, 8},
        {0x7F000000, 0x7FFFFFFF, telecom + beijing, "", 2},
    });
    EXPECT_EQ(LookupIn(image, "59.1.2.3"), u"北京市");
    EXPECT_EQ(LookupIn(image, "127.0.0.1"), u"电信北京市");
}

TEST(QqwryOpen, AMissingFileMissesEveryLookup) {
    CQQwry database;
    database.Open((std::filesystem::temp_directory_path() / "qx-no-such-database.dat").u16string());
    EXPECT_FALSE(database.IsOpen());
    EXPECT_EQ(database.Lookup("1.2.3.4"), kMiss);
    EXPECT_EQ(database.Lookup(""), CQQwry::kAskForAddress);
}

// Damaged files: a cut anywhere, and headers that point outside the file.
TEST(QqwryDamage, TruncatedFilesMissOrReadEmptyStrings) {
    const QqwryImage image = BuildQqwryDatabase(qx::host::SampleQqwryRecords(40, 7));
    for (std::size_t size = 0; size < image.bytes.size(); ++size) {
        const std::vector<std::uint8_t> cut(image.bytes.begin(), image.bytes.begin() + size);
        TempDatabase file(cut);
        CQQwry database;
        database.Open(file.path().u16string());
        for (const char* ip : {"0.0.0.0", "100.0.0.1", "200.1.2.3", "255.255.255.255"}) {
            const std::u16string answer = database.Lookup(ip);
            // Without a whole index record the search has nothing to go on.
            if (size < image.firstIndex + 7) {
                ASSERT_EQ(answer, kMiss) << size << " " << ip;
            }
        }
    }
}

TEST(QqwryDamage, HostileHeadersMiss) {
    const QqwryImage image = BuildQqwryDatabase(qx::host::SampleQqwryRecords(16, 3));
    const struct {
        std::uint32_t first, last;
    } headers[] = {
        {0xFFFFFFF0, 0x7FFFFFFF},  // negative first index offset
        {0x00000008, 0x7FFFFFFF},  // a vast index reaching past the file
        {0x7FFFFFF0, 0x7FFFFFFF},  // an index wholly past the file
        {0x00000100, 0x00000010},  // last before first: no records
    };
    for (const auto& header : headers) {
        std::vector<std::uint8_t> bytes = image.bytes;
        std::memcpy(bytes.data(), &header.first, 4);
        std::memcpy(bytes.data() + 4, &header.last, 4);
        TempDatabase file(bytes);
        CQQwry database;
        database.Open(file.path().u16string());
        for (const char* ip : {"0.0.0.0", "1.2.3.4", "128.0.0.0", "255.255.255.255"}) {
            EXPECT_EQ(database.Lookup(ip), kMiss) << std::hex << header.first << " " << ip;
        }
    }
}

TEST(QqwryDamage, RedirectionsOutsideTheFileReadAsEmpty) {
    QqwryImage image = BuildQqwryDatabase({
        {0x01000000, 0x01FFFFFF, "a", "", 1},
        {0x02000000, 0x02FFFFFF, "b", "", 5},
        {0x03000000, 0x03FFFFFF, "c", "", 3},
        {0x04000000, 0x04FFFFFF, "d", "", 1},
    });
    PutU24(image.bytes, image.dataOffsets[1] + 5, 0xFFFFFF);  // block past the end
    // the index points one record at a data offset past the end of the file
    PutU24(image.bytes, image.firstIndex + 7 * 2 + 4, 0xFFFFF0);
    TempDatabase file(image);
    CQQwry database;
    database.Open(file.path().u16string());
    EXPECT_EQ(database.Lookup("2.0.0.1"), u"");
    EXPECT_EQ(database.Lookup("3.0.0.0"), u"");    // found by its start IP, nothing to read
    EXPECT_EQ(database.Lookup("3.0.0.1"), kMiss);  // its end IP cannot be read
    EXPECT_EQ(database.Lookup("4.0.0.1"), u"d");
}

}  // namespace
