// One reading of the machine's connections for the network page: the
// connection-table library loaded by its path for this reading only, its two
// tables turned into the page's rows, the library released again.
#pragma once

#include <string>
#include <vector>

#include "host/connection_rows.h"

class CQQwry;

namespace qx::netview {

struct NetStatSnapshot {
    enum class Outcome {
        kNoLibrary,    // the library or its GetNetStat is missing: no rows, no message
        kUnsupported,  // GetNetStat answered 0: the system is not supported
        kListed,       // rows holds the UDP rows, then the TCP rows
    };
    Outcome outcome = Outcome::kNoLibrary;
    std::vector<host::ConnectionRow> rows;
};

// Looks every remote address up in locations, which no other thread may use
// meanwhile.
NetStatSnapshot ReadNetStat(const std::wstring& libraryPath, const CQQwry& locations);

}  // namespace qx::netview
