// Power records: start-up and shut-down events of the machine paired into
// rows of (power-on time, power-off time), oldest first, with the times as
// local time in the power records page's format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qx::host {

// The System event log's identifiers: the event log service started (the
// machine was started) and stopped (it was shut down cleanly). Only the low
// 16 bits of an identifier are compared.
inline constexpr std::uint16_t kPowerOnEventId = 6005;
inline constexpr std::uint16_t kPowerOffEventId = 6006;

struct PowerEvent {
    std::uint32_t eventId = 0;
    std::int64_t writeTime = 0;  // seconds since 1970-01-01 UTC

    bool operator==(const PowerEvent&) const = default;
};

struct PowerRow {
    std::u16string powerOn;  // empty when no start-up record came before
    std::u16string powerOff;
};

// A start-up is remembered until the next shut-down closes a row with it; a
// later start-up replaces it (the earlier run ended in a crash), and a start-up
// that no shut-down follows gives no row.
std::vector<PowerRow> PairPowerEvents(const std::vector<PowerEvent>& events);

// "2012年05月06日 03:14:16" in local time; empty when the time has no local form.
std::u16string FormatPowerTime(std::int64_t writeTime);

// The events of a buffer of whole event log records (EVENTLOGRECORD), walked
// by each record's length. A length too small for a record or reaching past
// the buffer ends the walk.
void WalkEventLogRecords(const std::uint8_t* buffer, std::size_t bytes,
                         std::vector<PowerEvent>& events);

#ifdef _WIN32
// The local "System" event log, oldest first; false when it cannot be opened.
bool ReadSystemLogPowerEvents(std::vector<PowerEvent>& events);
#else
// A wtmp file: boot records as start-ups, shutdown run-level records as
// shut-downs, in file order; false when it cannot be read.
bool ReadWtmpPowerEvents(const std::filesystem::path& path, std::vector<PowerEvent>& events);
#endif

}  // namespace qx::host
