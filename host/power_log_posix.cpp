#include <utmp.h>

#include <cstring>
#include <fstream>

#include "host/power_records.h"

namespace qx::host {

bool ReadWtmpPowerEvents(const std::filesystem::path& path, std::vector<PowerEvent>& events) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    utmp record{};
    while (file.read(reinterpret_cast<char*>(&record), sizeof record)) {
        if (record.ut_type == BOOT_TIME) {
            events.push_back({kPowerOnEventId, record.ut_tv.tv_sec});
        } else if (record.ut_type == RUN_LVL &&
                   std::strncmp(record.ut_user, "shutdown", sizeof record.ut_user) == 0) {
            events.push_back({kPowerOffEventId, record.ut_tv.tv_sec});
        }
    }
    // A torn record at the end (a write cut short) is ignored, as last(1) does.
    return !file.bad();
}

}  // namespace qx::host
