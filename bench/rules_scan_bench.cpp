// Scans a generated corpus of at least 100 MB with the four rule sets, the
// way a scan session walks a tree, and times `grep -rlF eval` over the same
// tree in the same run: reading every file and searching it once for one
// fixed string is the floor that the rules are measured against.
//
//   rules_scan_bench [--benchmark_...] [CORPUS_DIR]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "rules_corpus.h"
#include "scan_driver.h"

namespace {

constexpr std::uint64_t kCorpusBytes = 100ull << 20;

std::filesystem::path corpus_root;
qx::bench::CorpusSize corpus;
std::vector<double> scan_seconds, grep_seconds;
int findings = 0;

struct CountFindings : qx::ScanClient {
    void OnFinding(const std::u16string&, const qx::Finding&) override { ++findings; }
};

void SetRates(benchmark::State& state) {
    const double runs = static_cast<double>(state.iterations());
    state.counters["files/s"] =
        benchmark::Counter(runs * static_cast<double>(corpus.files), benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(runs * static_cast<double>(corpus.bytes) / 1e6,
                                                benchmark::Counter::kIsRate);
}

void RulesScan(benchmark::State& state) {
    const std::u16string root = corpus_root.u16string();
    for (auto _ : state) {
        CountFindings client;
        findings = 0;
        const auto start = std::chrono::steady_clock::now();
        qx::ScanTree(root, client);
        scan_seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["findings"] = findings;
    SetRates(state);
}

void GrepEval(benchmark::State& state) {
    const std::string command = "grep -rlF eval '" + corpus_root.string() + "' > /dev/null";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        // grep exits with 1 when no file matches, which is no failure here.
        if (std::system(command.c_str()) == -1) state.SkipWithError("cannot run grep");
        grep_seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    SetRates(state);
}

BENCHMARK(RulesScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);
BENCHMARK(GrepEval)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    corpus_root =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(QX_BENCH_CORPUS_DIR);
    corpus = qx::bench::WriteRulesCorpus(corpus_root, kCorpusBytes);
    std::printf("corpus: %s, %llu files, %.1f MB, %llu pages with a finding\n",
                corpus_root.string().c_str(), static_cast<unsigned long long>(corpus.files),
                static_cast<double>(corpus.bytes) / 1e6,
                static_cast<unsigned long long>(corpus.findings));

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double scan = Median(scan_seconds), grep = Median(grep_seconds);
    if (scan > 0 && grep > 0) {
        std::printf("median: rules %.2f s, grep %.2f s; the rules take %.1f times grep's time\n",
                    scan, grep, scan / grep);
    }
    return 0;
}
