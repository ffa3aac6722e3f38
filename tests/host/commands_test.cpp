// The command line's netstat, locate and power commands, run as a user runs
// them, against databases, sockets and wtmp files the tests make.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "host/qqwry_writer.h"
#include "temp_database.h"

namespace {

struct CommandRun {
    std::string out;
    int status = -1;
};

// Runs `quellix ARGS` through the shell, standard input from `input`.
CommandRun Quellix(const std::string& arguments, const std::string& input = "") {
    const std::filesystem::path inputFile =
        std::filesystem::temp_directory_path() / ("qx-stdin-" + std::to_string(getpid()));
    std::ofstream(inputFile, std::ios::binary) << input;
    // Standard error is dropped unless the arguments send it along.
    const bool keep_errors = arguments.find("2>&1") != std::string::npos;
    const std::string command = std::string(QUELLIX_PROGRAM) + " " + arguments + " <" +
                                inputFile.string() + (keep_errors ? "" : " 2>/dev/null");
    CommandRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe))
        run.out.append(chunk, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::filesystem::remove(inputFile);
    return run;
}

qx::host::QqwryImage SmallDatabase() {
    return qx::host::BuildQqwryDatabase({
        {0x01000000, 0x01FFFFFF, "one", "", 1},
        {0x3B000000, 0x3BFFFFFF, "\xB1\xB1\xBE\xA9\xCA\xD0", "", 7},          // 北京市
        {0x7F000000, 0x7FFFFFFF, "\xB1\xBE\xBB\xFA\xB5\xD8\xD6\xB7", "", 4},  // 本机地址
    });
}

TEST(LocateCommand, LooksUpArgumentsInOrder) {
    TempDatabase database(SmallDatabase());
    const CommandRun run = Quellix("locate --qqwry " + database.path().string() +
                                   " 59.66.1.1 127.0.0.1 9.9.9.9 1.0.0.1");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "59.66.1.1\t北京市\n127.0.0.1\t本机地址\n9.9.9.9\t没有查到相关信息\n1.0.0.1\tone\n");
    const CommandRun json =
        Quellix("locate --json --qqwry " + database.path().string() + " 1.0.0.1");
    EXPECT_EQ(json.out, "{\"ip\":\"1.0.0.1\",\"location\":\"one\"}\n");
}

TEST(LocateCommand, RejectsWhatIsNotADottedAddressAndAnswersTheRest) {
    TempDatabase database(SmallDatabase());
    const CommandRun run = Quellix("locate --qqwry " + database.path().string() +
                                   " 256.1.1.1 abc 1.2.3.4x '' 01.2.3.4 1.2.3 1.0.0.1 2>&1");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out,
              "quellix: 256.1.1.1: not a dotted IPv4 address\n"
              "quellix: abc: not a dotted IPv4 address\n"
              "quellix: 1.2.3.4x: not a dotted IPv4 address\n"
              "quellix: : not a dotted IPv4 address\n"
              "quellix: 01.2.3.4: not a dotted IPv4 address\n"
              "quellix: 1.2.3: not a dotted IPv4 address\n"
              "1.0.0.1\tone\n");
}

TEST(LocateCommand, AHostileDatabaseCannotWriteToTheTerminal) {
    TempDatabase database(qx::host::BuildQqwryDatabase({
        {0x01000000, 0x01FFFFFF, "a\x1b[2Jb\tc\nd", "", 1},
        {0x02000000, 0x02FFFFFF, "e", "", 1},
    }));
    const CommandRun run = Quellix("locate --qqwry " + database.path().string() + " 1.0.0.1");
    EXPECT_EQ(run.out, "1.0.0.1\ta\\033[2Jb\\tc\\nd\n");
    // Only a regular file opens as a database: a FIFO would block for ever.
    const std::string fifo = database.path().string() + ".fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Quellix("locate --qqwry " + fifo + " 1.0.0.1").status, 2);
    std::filesystem::remove(fifo);
}

TEST(LocateCommand, ReadsAddressesFromStandardInput) {
    TempDatabase database(SmallDatabase());
    const CommandRun run = Quellix("locate --qqwry " + database.path().string(),
                                   "59.1.1.1\r\n\n  127.0.0.2  \n1.2.3.4");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "59.1.1.1\t北京市\n127.0.0.2\t本机地址\n1.2.3.4\tone\n");
}

TEST(LocateCommand, RefusesADatabaseItCannotOpen) {
    EXPECT_EQ(Quellix("locate --qqwry /nonexistent/QQWry.dat 1.2.3.4").status, 2);
}

TEST(NetstatCommand, ListsTheTestsSocketsAsTheNetworkPageDoes) {
    TempDatabase database(SmallDatabase());
    const auto bound = [](int type) {
        const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        return fd;
    };
    const auto portOf = [](int fd) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        return std::to_string(ntohs(address.sin_port));
    };
    const int listener = bound(SOCK_STREAM);
    ASSERT_EQ(listen(listener, 1), 0);
    const int client = bound(SOCK_STREAM);
    sockaddr_in server{};
    socklen_t length = sizeof server;
    getsockname(listener, reinterpret_cast<sockaddr*>(&server), &length);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&server), sizeof server), 0);
    const int udp = bound(SOCK_DGRAM);

    const int udp6 = socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 loopback6{};
    loopback6.sin6_family = AF_INET6;
    loopback6.sin6_addr = in6addr_loopback;
    const bool have_ipv6 =
        udp6 >= 0 && bind(udp6, reinterpret_cast<sockaddr*>(&loopback6), sizeof loopback6) == 0;

    const CommandRun run = Quellix("netstat --qqwry " + database.path().string());
    EXPECT_EQ(run.status, 0);
    const std::string owner = "\t" + std::to_string(getpid()) + "\t" +
                              std::filesystem::read_symlink("/proc/self/exe").string() + "\n";
    const std::string udpLine = "UDP\t127.0.0.1:" + portOf(udp) + "\t*.*.*.*:*\t*" + owner;
    const std::string listenLine =
        "TCP\t127.0.0.1:" + portOf(listener) + "\t0.0.0.0:0\tLISTENING" + owner;
    const std::string connectedLine = "TCP\t127.0.0.1:" + portOf(client) +
                                      "\t127.0.0.1:" + portOf(listener) +
                                      "[ 本机地址 ]\tESTABLISHED" + owner;
    const std::size_t udpAt = run.out.find(udpLine);
    EXPECT_NE(udpAt, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(listenLine), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(connectedLine), std::string::npos) << run.out;
    EXPECT_LT(udpAt, run.out.find("TCP\t")) << "UDP rows come first";
    if (have_ipv6) {
        socklen_t size = sizeof loopback6;
        getsockname(udp6, reinterpret_cast<sockaddr*>(&loopback6), &size);
        const std::string line =
            "UDP\t[::1]:" + std::to_string(ntohs(loopback6.sin6_port)) + "\t*:*\t*" + owner;
        EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
        EXPECT_LT(run.out.find(line), run.out.find("TCP\t")) << "UDP rows come first";
    }
    for (const int fd : {listener, client, udp, udp6}) close(fd);
}

TEST(PowerCommand, PrintsThePairsOfAWtmpFile) {
    const std::filesystem::path wtmp =
        std::filesystem::temp_directory_path() / ("qx-cli-wtmp-" + std::to_string(getpid()));
    {
        std::ofstream file(wtmp, std::ios::binary);
        for (const auto& [type, user, time] : {std::tuple{BOOT_TIME, "reboot", 1336291200},
                                               std::tuple{RUN_LVL, "shutdown", 1336305600},
                                               std::tuple{BOOT_TIME, "reboot", 1336309200}}) {
            utmp record{};
            record.ut_type = static_cast<short>(type);
            std::strncpy(record.ut_user, user, sizeof record.ut_user);
            record.ut_tv.tv_sec = time;
            file.write(reinterpret_cast<const char*>(&record), sizeof record);
        }
    }
    const CommandRun text = Quellix("power --wtmp " + wtmp.string());
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out, "1\t2012年05月06日 08:00:00\t2012年05月06日 12:00:00\n");
    const CommandRun json = Quellix("power --json --wtmp " + wtmp.string());
    EXPECT_EQ(
        json.out,
        "{\"number\":1,\"on\":\"2012年05月06日 08:00:00\",\"off\":\"2012年05月06日 12:00:00\"}\n");
    std::filesystem::remove(wtmp);
    EXPECT_EQ(Quellix("power --wtmp " + wtmp.string()).status, 2);
}

}  // namespace
