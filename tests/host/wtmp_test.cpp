#include <gtest/gtest.h>
#include <unistd.h>
#include <utmp.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/power_records.h"

namespace {

using qx::host::PowerEvent;

utmp Record(short type, const char* user, std::int32_t seconds) {
    utmp record{};
    record.ut_type = type;
    std::strncpy(record.ut_user, user, sizeof record.ut_user);
    record.ut_tv.tv_sec = seconds;
    return record;
}

class WtmpFile {
  public:
    WtmpFile()
        : path_(std::filesystem::temp_directory_path() / ("qx-wtmp-" + std::to_string(getpid()))) {}
    ~WtmpFile() { std::filesystem::remove(path_); }

    void Write(const std::vector<utmp>& records, std::size_t tornBytes = 0) {
        std::ofstream file(path_, std::ios::binary | std::ios::trunc);
        for (const utmp& record : records) {
            file.write(reinterpret_cast<const char*>(&record), sizeof record);
        }
        const std::vector<char> torn(tornBytes, 0);
        file.write(torn.data(), static_cast<std::streamsize>(torn.size()));
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

TEST(Wtmp, BootRecordsStartAndShutdownRecordsStop) {
    WtmpFile wtmp;
    wtmp.Write({Record(BOOT_TIME, "reboot", 1000), Record(RUN_LVL, "runlevel", 1001),
                Record(USER_PROCESS, "alice", 1100), Record(DEAD_PROCESS, "", 1200),
                Record(RUN_LVL, "shutdown", 2000), Record(BOOT_TIME, "reboot", 3000),
                Record(USER_PROCESS, "shutdown", 3100)},
               sizeof(utmp) / 2);
    std::vector<PowerEvent> events;
    ASSERT_TRUE(qx::host::ReadWtmpPowerEvents(wtmp.path(), events));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].eventId, qx::host::kPowerOnEventId);
    EXPECT_EQ(events[0].writeTime, 1000);
    EXPECT_EQ(events[1].eventId, qx::host::kPowerOffEventId);
    EXPECT_EQ(events[1].writeTime, 2000);
    EXPECT_EQ(events[2].eventId, qx::host::kPowerOnEventId);
    EXPECT_EQ(events[2].writeTime, 3000);
}

TEST(Wtmp, AMissingFileCannotBeRead) {
    std::vector<PowerEvent> events;
    EXPECT_FALSE(qx::host::ReadWtmpPowerEvents("/nonexistent/qx/wtmp", events));
    EXPECT_TRUE(events.empty());
}

}  // namespace
