// Look-ups per second of CQQwry on a database of a real one's size: 500,000
// made-up ranges over the whole address space, every record shape in turn.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/qqwry.h"
#include "host/qqwry_writer.h"

namespace {

constexpr std::size_t kRecords = 500000;

const std::filesystem::path& DatabasePath() {
    static const std::filesystem::path path = [] {
        const auto file = std::filesystem::temp_directory_path() /
                          ("qx-bench-qqwry-" + std::to_string(getpid()) + ".dat");
        qx::host::WriteQqwryFile(
            file, qx::host::BuildQqwryDatabase(qx::host::SampleQqwryRecords(kRecords, 1)));
        return file;
    }();
    return path;
}

std::vector<std::string> RandomAddresses(std::size_t count) {
    std::mt19937 random(42);
    std::vector<std::string> addresses;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t ip = random();
        char text[16];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF,
                      (ip >> 8) & 0xFF, ip & 0xFF);
        addresses.emplace_back(text);
    }
    return addresses;
}

void BM_QqwryLookup(benchmark::State& state) {
    CQQwry database;
    database.Open(DatabasePath().u16string());
    if (!database.IsOpen()) state.SkipWithError("no database");
    const std::vector<std::string> addresses = RandomAddresses(65536);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(database.Lookup(addresses[next++ & 0xFFFF]));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.counters["database_MB"] =
        static_cast<double>(std::filesystem::file_size(DatabasePath())) / 1e6;
}
BENCHMARK(BM_QqwryLookup)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(DatabasePath());
    return 0;
}
