#include <gtest/gtest.h>

#include "power_records.h"

namespace {

// Wine's System log is mostly empty; the reading must still open it, end
// cleanly and leave only whole records behind.
TEST(SystemEventLog, ReadsToTheEnd) {
    std::vector<qx::power::PowerEvent> events;
    EXPECT_TRUE(qx::power::ReadSystemLogPowerEvents(events));
    const auto rows = qx::power::PairPowerEvents(events);
    EXPECT_LE(rows.size(), events.size());
}

}  // namespace
