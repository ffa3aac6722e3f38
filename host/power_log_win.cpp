#include <windows.h>

#include <cstddef>

#include "host/power_records.h"

namespace qx::host {

static_assert(sizeof(EVENTLOGRECORD) == 56 && offsetof(EVENTLOGRECORD, TimeWritten) == 16 &&
                  offsetof(EVENTLOGRECORD, EventID) == 20,
              "the record walk reads EVENTLOGRECORD at these offsets");

bool ReadSystemLogPowerEvents(std::vector<PowerEvent>& events) {
    HANDLE log = OpenEventLogW(nullptr, L"System");
    if (log == nullptr) return false;
    // As many whole records as fit per read, oldest first; a record larger than
    // the buffer fails the read and ends the reading there, as does the end.
    constexpr DWORD kBufferBytes = 65536;
    std::vector<std::uint8_t> buffer(kBufferBytes);
    DWORD read = 0;
    DWORD needed = 0;
    while (ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                         kBufferBytes, &read, &needed) &&
           read > 0) {
        WalkEventLogRecords(buffer.data(), read, events);
    }
    CloseEventLog(log);
    return true;
}

}  // namespace qx::host
