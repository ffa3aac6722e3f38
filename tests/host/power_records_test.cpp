#include "host/power_records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

namespace {

using qx::host::PowerEvent;
using qx::host::PowerRow;

constexpr std::uint32_t kOn = qx::host::kPowerOnEventId;
constexpr std::uint32_t kOff = qx::host::kPowerOffEventId;

// Local time follows TZ, set here in the POSIX form both C libraries read.
class TimeZone {
  public:
    explicit TimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        if (old != nullptr) saved_ = old;
        hadZone_ = old != nullptr;
        Set(zone);
    }
    ~TimeZone() { Set(hadZone_ ? saved_.c_str() : nullptr); }

  private:
    static void Set(const char* zone) {
#ifdef _WIN32
        _putenv_s("TZ", zone == nullptr ? "" : zone);
        _tzset();
#else
        if (zone == nullptr) {
            unsetenv("TZ");
        } else {
            setenv("TZ", zone, 1);
        }
        tzset();
#endif
    }
    std::string saved_;
    bool hadZone_ = false;
};

// 2012-05-06 00:00:00 UTC plus hours and minutes.
std::int64_t May6(int hour, int minute = 0) {
    return 1336262400 + hour * 3600 + minute * 60;
}

TEST(FormatPowerTime, UsesThePageFormatInLocalTime) {
    {
        TimeZone utc("UTC0");
        EXPECT_EQ(qx::host::FormatPowerTime(May6(3, 14) + 16), u"2012年05月06日 03:14:16");
        EXPECT_EQ(qx::host::FormatPowerTime(0), u"1970年01月01日 00:00:00");
    }
    {
        TimeZone beijing("CST-8");
        EXPECT_EQ(qx::host::FormatPowerTime(May6(3, 14) + 16), u"2012年05月06日 11:14:16");
        EXPECT_EQ(qx::host::FormatPowerTime(May6(20)), u"2012年05月07日 04:00:00");
    }
}

TEST(PairPowerEvents, PairsStartUpsWithTheNextShutDown) {
    TimeZone utc("UTC0");
    const struct {
        const char* name;
        std::vector<PowerEvent> events;
        std::vector<PowerRow> rows;
    } cases[] = {
        {"a crash loses the earlier start",
         {{kOn, May6(8)}, {kOff, May6(12)}, {kOn, May6(13)}, {kOn, May6(14)}, {kOff, May6(18)}},
         {{u"2012年05月06日 08:00:00", u"2012年05月06日 12:00:00"},
          {u"2012年05月06日 14:00:00", u"2012年05月06日 18:00:00"}}},
        {"a log that starts with a shut-down",
         {{kOff, May6(1)}, {kOn, May6(2)}, {kOff, May6(3)}},
         {{u"", u"2012年05月06日 01:00:00"},
          {u"2012年05月06日 02:00:00", u"2012年05月06日 03:00:00"}}},
        {"two shut-downs in a row",
         {{kOn, May6(1)}, {kOff, May6(2)}, {kOff, May6(3)}},
         {{u"2012年05月06日 01:00:00", u"2012年05月06日 02:00:00"},
          {u"", u"2012年05月06日 03:00:00"}}},
        {"the current run gives no row",
         {{kOn, May6(1)}, {kOff, May6(2)}, {kOn, May6(5)}},
         {{u"2012年05月06日 01:00:00", u"2012年05月06日 02:00:00"}}},
        {"only the low 16 bits of an identifier count; others are ignored",
         {{0x40000000 | kOn, May6(6)},
          {7036, May6(7)},
          {6009, May6(8)},
          {0x80000000 | kOff, May6(9)},
          {0x10000 | 6004, May6(10)}},
         {{u"2012年05月06日 06:00:00", u"2012年05月06日 09:00:00"}}},
        {"an empty log", {}, {}},
    };
    for (const auto& c : cases) {
        const std::vector<PowerRow> rows = qx::host::PairPowerEvents(c.events);
        ASSERT_EQ(rows.size(), c.rows.size()) << c.name;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].powerOn, c.rows[i].powerOn) << c.name << " row " << i;
            EXPECT_EQ(rows[i].powerOff, c.rows[i].powerOff) << c.name << " row " << i;
        }
    }
}

// Synthetic buffers laid out as ReadEventLogW delivers them: whole records of
// the 56-byte EVENTLOGRECORD head plus strings and data, one after another.
class RecordBuffer {
  public:
    RecordBuffer& Add(std::uint32_t eventId, std::uint32_t timeWritten, std::uint32_t extra = 0,
                      std::optional<std::uint32_t> statedLength = std::nullopt) {
        const std::size_t at = bytes_.size();
        const std::uint32_t length = 56 + extra;
        bytes_.resize(at + length, 0xCC);
        Put(at, statedLength.value_or(length));
        Put(at + 4, 0x654C664C);  // "LfLe"
        Put(at + 8, ++number_);
        Put(at + 12, timeWritten - 1);
        Put(at + 16, timeWritten);
        Put(at + 20, eventId);
        return *this;
    }
    RecordBuffer& Tail(std::size_t bytes) {
        bytes_.resize(bytes_.size() + bytes, 0);
        return *this;
    }
    std::vector<PowerEvent> Walk() const {
        std::vector<PowerEvent> events;
        qx::host::WalkEventLogRecords(bytes_.data(), bytes_.size(), events);
        return events;
    }

  private:
    void Put(std::size_t at, std::uint32_t value) { std::memcpy(&bytes_[at], &value, 4); }
    std::vector<std::uint8_t> bytes_;
    std::uint32_t number_ = 0;
};

TEST(WalkEventLogRecords, WalksRecordsByTheirLength) {
    const auto events =
        RecordBuffer().Add(kOn, 100, 40).Add(7036, 200, 0).Add(kOff, 300, 1000).Walk();
    const std::vector<PowerEvent> expected = {{kOn, 100}, {7036, 200}, {kOff, 300}};
    EXPECT_EQ(events, expected);
}

TEST(WalkEventLogRecords, StopsAtARecordLengthThatCannotBeRight) {
    const struct {
        const char* name;
        RecordBuffer buffer;
        std::size_t events;
    } cases[] = {
        {"zero length would never advance", RecordBuffer().Add(kOn, 1).Add(kOff, 2, 0, 0u), 1},
        {"length below the record head", RecordBuffer().Add(kOn, 1).Add(kOff, 2, 8, 4), 1},
        {"length past the bytes read", RecordBuffer().Add(kOn, 1).Add(kOff, 2, 8, 4096), 1},
        {"bytes too few for a record head", RecordBuffer().Add(kOn, 1).Tail(55), 1},
        {"nothing read", RecordBuffer(), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.buffer.Walk().size(), c.events) << c.name;
}

}  // namespace
