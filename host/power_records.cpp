#include "host/power_records.h"

#include <cstdio>
#include <ctime>

namespace qx::host {
namespace {

constexpr std::size_t kEventLogRecordBytes = 56;
constexpr std::size_t kTimeWrittenAt = 16;
constexpr std::size_t kEventIdAt = 20;

std::uint32_t Load32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
           std::uint32_t{at[3]} << 24;
}

bool LocalTime(std::int64_t writeTime, std::tm& local) {
    const std::time_t time = static_cast<std::time_t>(writeTime);
#ifdef _WIN32
    return localtime_s(&local, &time) == 0;
#else
    return localtime_r(&time, &local) != nullptr;
#endif
}

// printf's "%.<digits>hd": the number as a 16-bit integer, zero-padded.
void AppendNumber(std::u16string& text, int value, int digits) {
    char number[16];
    std::snprintf(number, sizeof number, "%.*hd", digits, static_cast<short>(value));
    for (const char* c = number; *c != '\0'; ++c) text.push_back(static_cast<char16_t>(*c));
}

}  // namespace

std::u16string FormatPowerTime(std::int64_t writeTime) {
    std::tm local{};
    if (!LocalTime(writeTime, local)) return {};
    std::u16string text;
    AppendNumber(text, local.tm_year + 1900, 4);
    text += u"年";
    AppendNumber(text, local.tm_mon + 1, 2);
    text += u"月";
    AppendNumber(text, local.tm_mday, 2);
    text += u"日 ";
    AppendNumber(text, local.tm_hour, 2);
    text += u":";
    AppendNumber(text, local.tm_min, 2);
    text += u":";
    AppendNumber(text, local.tm_sec, 2);
    return text;
}

std::vector<PowerRow> PairPowerEvents(const std::vector<PowerEvent>& events) {
    std::vector<PowerRow> rows;
    std::u16string pendingOn;
    for (const PowerEvent& event : events) {
        const auto id = static_cast<std::uint16_t>(event.eventId);
        if (id == kPowerOnEventId) {
            pendingOn = FormatPowerTime(event.writeTime);
        } else if (id == kPowerOffEventId) {
            rows.push_back({std::move(pendingOn), FormatPowerTime(event.writeTime)});
            pendingOn.clear();
        }
    }
    return rows;
}

void WalkEventLogRecords(const std::uint8_t* buffer, std::size_t bytes,
                         std::vector<PowerEvent>& events) {
    std::size_t at = 0;
    while (bytes - at >= kEventLogRecordBytes) {
        const std::uint32_t length = Load32(buffer + at);
        if (length < kEventLogRecordBytes || length > bytes - at) break;
        events.push_back({Load32(buffer + at + kEventIdAt), Load32(buffer + at + kTimeWrittenAt)});
        at += length;
    }
}

}  // namespace qx::host
