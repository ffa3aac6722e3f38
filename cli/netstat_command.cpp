// `quellix netstat`: the network page's connection list, one row per line with
// its six columns tab-separated, UDP rows first.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "console.h"
#include "database_path.h"
#include "frontend/shown_texts.h"
#include "host/connection_rows.h"
#include "host/qqwry.h"
#include "net_tables.h"
#include "pelvoro.h"

namespace qx::cli {
namespace {

struct NetstatOptions {
    std::string database;
    bool json = false;
};

// The database the user named must open; the default one beside the program
// may be missing, and then every location reads "没有查到相关信息" as on the page.
void OpenDatabase(CQQwry& database, const std::string& named) {
    if (named.empty()) {
        database.Open(DefaultDatabasePath());
        return;
    }
    database.Open(FromUtf8(named));
    if (!database.IsOpen()) throw UsageError("cannot open the IP database " + named);
}

void PrintRow(const host::ConnectionRow& row, bool json) {
    if (json) {
        std::printf(
            "{\"protocol\":%s,\"local\":%s,\"remote\":%s,\"state\":%s,\"pid\":%s,\"path\":%s}\n",
            JsonString(row.protocol).c_str(), JsonString(row.local).c_str(),
            JsonString(row.remote).c_str(), JsonString(row.state).c_str(),
            ToUtf8(row.processId).c_str(), JsonString(row.processPath).c_str());
    } else {
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", ToUtf8(row.protocol).c_str(),
                    ToUtf8(row.local).c_str(), ToUtf8(row.remote).c_str(),
                    ToUtf8(row.state).c_str(), ToUtf8(row.processId).c_str(),
                    ToUtf8(row.processPath).c_str());
    }
}

int Netstat(const NetstatOptions& options) {
    CQQwry database;
    OpenDatabase(database, options.database);

    void* tcpTable = nullptr;
    void* udpTable = nullptr;
    const int obtained = GetNetStat(&tcpTable, &udpTable);
    const auto tcp = net::ReadTcpTable(obtained ? tcpTable : nullptr);
    const auto udp = net::ReadUdpTable(obtained ? udpTable : nullptr);
    net::ReleaseTable(tcpTable);
    net::ReleaseTable(udpTable);
    if (!obtained) {
        std::fprintf(stderr, "quellix: %s\n", ToUtf8(frontend::kUnsupportedSystem).c_str());
        return 1;
    }
    for (const auto& row : host::FormatConnectionRows(udp, tcp, database, host::ProcessPath)) {
        PrintRow(row, options.json);
    }
    return 0;
}

}  // namespace

void AddNetstatCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<NetstatOptions>();
    CLI::App* netstat = app.add_subcommand(
        "netstat",
        "List the IPv4 TCP and UDP endpoints with their processes and the location "
        "of each remote address.");
    netstat->add_option("--qqwry", options->database,
                        "IP database (default: QQWry.dat beside the program)");
    netstat->add_flag("--json", options->json, "one JSON object per row");
    netstat->callback([options, &status] { status = Netstat(*options); });
}

}  // namespace qx::cli
