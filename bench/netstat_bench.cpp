// GetNetStat with 5,000 open loopback sockets (2,500 connections, both ends)
// against `ss -tan` listing the same, and `ss -tanp`, which like GetNetStat
// also finds each socket's process.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "net_tables.h"
#include "pelvoro.h"

extern char** environ;

namespace {

constexpr int kConnections = 2500;

class LoopbackSockets {
  public:
    LoopbackSockets() {
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);

        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, SOMAXCONN);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        for (int i = 0; i < kConnections; ++i) {
            const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (client < 0 ||
                connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                break;
            }
            fds_.push_back(client);
            fds_.push_back(accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC));
        }
    }
    ~LoopbackSockets() {
        for (const int fd : fds_) close(fd);
        close(listener_);
    }
    std::size_t count() const { return fds_.size(); }

  private:
    int listener_ = -1;
    std::vector<int> fds_;
};

LoopbackSockets& Sockets() {
    static LoopbackSockets sockets;
    return sockets;
}

void BM_GetNetStat(benchmark::State& state) {
    Sockets();
    std::size_t rows = 0;
    for (auto _ : state) {
        void* tcp = nullptr;
        void* udp = nullptr;
        if (GetNetStat(&tcp, &udp) != 1) state.SkipWithError("GetNetStat failed");
        rows = qx::net::ReadTcpTable(tcp).size();
        qx::net::ReleaseTable(tcp);
        qx::net::ReleaseTable(udp);
    }
    state.counters["sockets"] = static_cast<double>(Sockets().count());
    state.counters["tcp_rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_GetNetStat)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs ss with the given options, its output to /dev/null.
void RunSs(benchmark::State& state, const char* options) {
    Sockets();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("ss"), const_cast<char*>(options), nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawnp(&child, "ss", &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot run ss");
            break;
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}

void BM_SsTan(benchmark::State& state) {
    RunSs(state, "-tan");
}
BENCHMARK(BM_SsTan)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SsTanp(benchmark::State& state) {
    RunSs(state, "-tanp");
}
BENCHMARK(BM_SsTanp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
