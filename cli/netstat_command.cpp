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
#ifdef __linux__
#include "host/ipv6_rows.h"
#endif
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
        Output::Line(
            "{\"protocol\":" + JsonString(row.protocol) + ",\"local\":" + JsonString(row.local) +
            ",\"remote\":" + JsonString(row.remote) + ",\"state\":" + JsonString(row.state) +
            ",\"pid\":" + ToUtf8(row.processId) + ",\"path\":" + JsonString(row.processPath) + "}");
    } else {
        // The locations come from a file and the paths from the processes:
        // neither reaches the terminal raw.
        Output::Line(Escaped(row.protocol) + "\t" + Escaped(row.local) + "\t" +
                     Escaped(row.remote) + "\t" + Escaped(row.state) + "\t" +
                     Escaped(row.processId) + "\t" + Escaped(row.processPath));
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
        Output::Error(ToUtf8(frontend::kUnsupportedSystem));
        return 1;
    }
    std::vector<host::ConnectionRow> rows =
        host::FormatConnectionRows(udp, tcp, database, host::ProcessPath);
#ifdef __linux__
    // The IPv6 sockets beside their IPv4 kind: UDP rows first, as always.
    const net::Ipv6Sockets ipv6 = net::ReadIpv6Sockets();
    const auto udp6 = host::FormatIpv6Rows(ipv6.udp, false, database, host::ProcessPath);
    const auto tcp6 = host::FormatIpv6Rows(ipv6.tcp, true, database, host::ProcessPath);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(udp.size()), udp6.begin(), udp6.end());
    rows.insert(rows.end(), tcp6.begin(), tcp6.end());
#endif
    for (const auto& row : rows) PrintRow(row, options.json);
    return Output::FailureStatus();
}

}  // namespace

void AddNetstatCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<NetstatOptions>();
    CLI::App* netstat = app.add_subcommand(
        "netstat",
        "List the TCP and UDP endpoints (IPv6 too on Linux) with their processes and the "
        "location of each remote IPv4 address.");
    netstat->add_option(
        "--qqwry", options->database,
        "IP database (default: QQWry.dat beside the program, then the installed one)");
    netstat->add_flag("--json", options->json, "one JSON object per row");
    netstat->callback([options, &status] { status = Netstat(*options); });
}

}  // namespace qx::cli
