// The two passes every rated file takes, apart from the tree walk and the
// system calls: reading its bytes into folded UTF-16 text, and the one pass
// of its family's keyword automaton over that text. The files come from a
// tree given on the command line (the generated corpus when none is), held
// in memory, so that repeated runs measure the code and not the disk.
//
//   text_pass_bench [--benchmark_...] [TREE]
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "rules/rule_index.h"
#include "rules/rule_sets.h"
#include "rules_corpus.h"
#include "scan_driver.h"
#include "text_file_read.h"

namespace {

struct Page {
    qx::Family family;
    std::string bytes;
    std::u16string text;  // as the rules read it
};

std::vector<Page> pages;
std::uint64_t total_bytes = 0;

void Load(const std::filesystem::path& root) {
    qx::ReadBuffers buffers;
    qx::os::Utf8Decoder unmarked;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        const auto family = qx::FamilyOfName(entry.path().filename().u16string());
        if (!family) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        Page page{*family, {std::istreambuf_iterator<char>(in), {}}, {}};
        qx::CTextFileRead reader(page.bytes, unmarked, buffers);
        reader.FoldAsciiLetters(true);
        qx::TextBuffer text;
        reader.ReadText(text, u"\r\n");
        page.text = text.View();
        total_bytes += page.bytes.size();
        pages.push_back(std::move(page));
    }
}

void SetRate(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total_bytes));
}

void ReadFoldedText(benchmark::State& state) {
    qx::ReadBuffers buffers;
    qx::os::Utf8Decoder unmarked;
    qx::TextBuffer text;
    for (auto _ : state) {
        for (const Page& page : pages) {
            qx::CTextFileRead reader(page.bytes, unmarked, buffers);
            reader.FoldAsciiLetters(true);
            reader.ReadText(text, u"\r\n");
            benchmark::DoNotOptimize(text.data());
        }
    }
    SetRate(state);
}

void KeywordPass(benchmark::State& state) {
    std::vector<std::size_t> first;
    for (auto _ : state) {
        for (const Page& page : pages) {
            qx::RuleIndexOf(page.family).FindKeywords(page.text, first);
            benchmark::DoNotOptimize(first.data());
        }
    }
    SetRate(state);
}

BENCHMARK(ReadFoldedText)->Unit(benchmark::kMillisecond);
BENCHMARK(KeywordPass)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::filesystem::path root = argc > 1 ? argv[1] : QX_BENCH_CORPUS_DIR;
    if (argc <= 1 && !std::filesystem::exists(root))
        qx::bench::WriteRulesCorpus(root, 100ull << 20);
    Load(root);
    for (const qx::Family family :
         {qx::Family::kAsp, qx::Family::kAspx, qx::Family::kPhp, qx::Family::kJsp})
        qx::RuleIndexOf(family);  // built outside the timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
