#include <gtest/gtest.h>

#include "host/power_records.h"

namespace {

// Wine's System log is mostly empty; the reading must still open it, end
// cleanly and leave only whole records behind.
TEST(SystemEventLog, ReadsToTheEnd) {
    std::vector<qx::host::PowerEvent> events;
    EXPECT_TRUE(qx::host::ReadSystemLogPowerEvents(events));
    const auto rows = qx::host::PairPowerEvents(events);
    EXPECT_LE(rows.size(), events.size());
}

}  // namespace
