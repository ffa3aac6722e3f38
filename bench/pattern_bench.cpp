// The pattern engine against std::regex (ECMAScript) and PCRE2 (16-bit, no
// JIT) on the detection rules' own patterns: compile time, and search time
// over 1 Mi units of realistic folded script text that holds no match and
// that holds one match near its end. Then Test, linear and backtracking, on
// bait that stalls a backtracker and on an ordinary page of the same size,
// each with a real match at its very end. Ends with the tables for
// docs/performance.md.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <benchmark/benchmark.h>
#include <pcre2.h>
#include <pthread.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "pattern.h"
#include "pattern_script_text.h"

namespace {

using qx::pattern::CPatternT;
using qx::pattern::MatchOutcome;

struct RulePattern {
    const char* step;
    const char16_t* pattern;
    const char16_t* sample;  // folded text it matches
};

const RulePattern kRulePatterns[] = {
    {"ASP 10", u"\\blanguage\\s*=\\s*[\"]?\\s*(vbscript|jscript|javascript).encode\\b",
     u"<script language=\"vbscript.encode\">"},
    {"ASP 11",
     u"\\<\\!\\-\\-\\s*\\#include\\s*file\\s*=\\s*(\")?[^\\s]*\\.((?!asp|asa|inc)\\w)+\\s*(\")?\\s*"
     u"\\-\\-\\>",
     u"<!--#include file=\"inc/conn.txt\"-->"},
    {"ASP 12", u"\\beval\\b", u"eval(request(\"x\"))"},
    {"ASP 13", u"[^.]\\bexecute(global)?\\b", u" execute request(\"x\")"},
    {"ASP 14", u"\\.executestatement\\b", u"conn.executestatement(sql)"},
    {"ASP 15", u"\\.savetofile\\b", u"stream.savetofile path, 2"},
    {"ASP 16", u"\\.save(as)?\\b", u"doc.saveas \"x\""},
    {"ASP 17", u"set\\s*.*\\s*=\\s*server\\s", u"set s = server\r\n"},
    {"ASP 18", u"server.(execute|transfer)([ \\t]*|\\()[^\"]\\)", u"server.execute(x)"},
    {"ASP 19", u"\\.shellexecute\\b", u"app.shellexecute \"cmd\""},
    {"ASP 20", u"\\.exec\\b", u"ws.exec(\"cmd\")"},
    {"ASP 21, ASPX 4", u"\\.run\\b", u"proc.run("},
    {"PHP 15", u"\\beval\\s*\\(\\s*(base64_decode|gzinflate|gzuncompress|str_rot13)\\b",
     u"eval(base64_decode($x));"},
    {"PHP 16", u"\\beval\\b", u"eval($_post['x']);"},
    {"PHP 17", u"\\bpreg_replace[^\\s]*\\/e\\b", u"preg_replace(\"/x/e\",$_post['a'],'b')"},
    {"PHP 18", u"\\b(assert|call_user_func|call_user_func_array|create_function)\\b",
     u"assert($_post['x']);"},
    {"PHP 19", u"\\b(system|exec|shell_exec|popen|proc_open|passthru|pcntl_exec)\\b",
     u"system($cmd);"},
    {"JSP 4", u"file.listroots\\(\\)", u"file[] roots = file.listroots();"},
    {"JSP 5", u"new\\s+serversocket\\(", u"ss = new serversocket(8080);"},
    {"JSP 6", u"new\\s+socket\\(", u"s = new socket(\"h\", 1);"},
    {"JSP 7", u"new\\s+robot\\(", u"robot r = new robot();"},
};

constexpr std::size_t kTextUnits = std::size_t{1} << 20;

const std::u16string& NoMatchText() {
    static const std::u16string text = qx::bench::MakeFoldedScriptText(kTextUnits);
    return text;
}

std::u16string LateMatchText(const RulePattern& rule) {
    std::u16string text = NoMatchText();
    const std::u16string line = u"\r\n" + std::u16string(rule.sample) + u"\r\n";
    text.replace(kTextUnits / 20 * 19, line.size(), line);
    return text;
}

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

// --- the three engines ------------------------------------------------------

pcre2_code* CompilePcre2(const char16_t* pattern) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0, &error,
                         &offset, nullptr);
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// std::regex recurses once per unit it consumes; a long line needs a deep
// stack, so its searches run on a thread with a large one. Returns the
// thread's CPU time, like the other engines' figures.
double TimeOnLargeStack(const std::function<void()>& work) {
    struct Job {
        const std::function<void()>* work;
        double seconds;
    } job{&work, 0};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, std::size_t{1} << 30);
    pthread_t thread;
    pthread_create(
        &thread, &attributes,
        [](void* parameter) -> void* {
            auto* job = static_cast<Job*>(parameter);
            const double start = ThreadCpuSeconds();
            (*job->work)();
            job->seconds = ThreadCpuSeconds() - start;
            return nullptr;
        },
        &job);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    return job.seconds;
}

void CompileOurs(benchmark::State& state, const RulePattern* rule) {
    for (auto _ : state) {
        CPatternT<char16_t> pattern(rule->pattern);
        benchmark::DoNotOptimize(pattern.GetMaxGroupNumber());
    }
}

void CompilePcre2Bench(benchmark::State& state, const RulePattern* rule) {
    for (auto _ : state) {
        pcre2_code* code = CompilePcre2(rule->pattern);
        benchmark::DoNotOptimize(code);
        pcre2_code_free(code);
    }
}

void CompileStd(benchmark::State& state, const RulePattern* rule) {
    const std::wstring pattern = Wide(rule->pattern);
    for (auto _ : state) {
        std::wregex regex(pattern, std::regex_constants::ECMAScript);
        benchmark::DoNotOptimize(regex.mark_count());
    }
}

void SearchOurs(benchmark::State& state, const RulePattern* rule, bool late) {
    const std::u16string text = late ? LateMatchText(*rule) : NoMatchText();
    CPatternT<char16_t> pattern(rule->pattern);
    bool matched = false;
    for (auto _ : state) matched = pattern.Search(text.data(), text.size()).IsMatched();
    if (matched != late) state.SkipWithError("unexpected answer");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * 2));
}

void TestOurs(benchmark::State& state, const RulePattern* rule, bool late) {
    const std::u16string text = late ? LateMatchText(*rule) : NoMatchText();
    CPatternT<char16_t> pattern(rule->pattern);
    MatchOutcome outcome = MatchOutcome::kStopped;
    for (auto _ : state) outcome = pattern.Test(text.data(), text.size());
    if ((outcome == MatchOutcome::kMatch) != late) state.SkipWithError("unexpected answer");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * 2));
}

void SearchPcre2(benchmark::State& state, const RulePattern* rule, bool late) {
    const std::u16string text = late ? LateMatchText(*rule) : NoMatchText();
    pcre2_code* code = CompilePcre2(rule->pattern);
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    // Limits high enough for the quadratic pattern to run to its end.
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(context, 0xffffffffu);
    pcre2_set_depth_limit(context, 0xffffffffu);
    int found = 0;
    for (auto _ : state)
        found = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0,
                            data, context);
    if ((found > 0) != late) state.SkipWithError("unexpected answer");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * 2));
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
}

void SearchStd(benchmark::State& state, const RulePattern* rule, bool late) {
    const std::wstring text = Wide(late ? LateMatchText(*rule) : NoMatchText());
    const std::wregex regex(Wide(rule->pattern), std::regex_constants::ECMAScript);
    bool matched = false;
    for (auto _ : state) {
        state.SetIterationTime(TimeOnLargeStack([&] { matched = std::regex_search(text, regex); }));
    }
    if (matched != late) state.SkipWithError("unexpected answer");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * 2));
}

bool StdCanExpress(const RulePattern& rule) {
    try {
        std::wregex regex(Wide(rule.pattern), std::regex_constants::ECMAScript);
        return true;
    } catch (const std::regex_error&) {
        return false;
    }
}

// --- bait -------------------------------------------------------------------

struct Bait {
    const char* name;
    const char16_t* pattern;
    const char16_t* piece;  // repeated up to the size
    const char16_t* real;   // the match at the end
};

const Bait kBaits[] = {
    {"set", u"set\\s*.*\\s*=\\s*server\\s", u"set ", u"\r\nset x = server\r\n"},
    {"preg_replace", u"\\bpreg_replace[^\\s]*\\/e\\b", u"preg_replace/",
     u"\r\n<?php @preg_replace(\"/x/e\",$_post['a'],'');"},
};

constexpr std::size_t kBaitSizes[] = {std::size_t{1} << 20, std::size_t{10} << 20};

std::u16string BaitText(const Bait& bait, std::size_t units, bool ordinary) {
    const std::u16string real = bait.real;
    std::u16string text;
    if (ordinary) {
        text = qx::bench::MakeFoldedScriptText(units - real.size());
    } else {
        const std::u16string piece = bait.piece;
        while (text.size() + real.size() < units) text += piece;
        text.resize(units - real.size());
    }
    return text + real;
}

void TestBait(benchmark::State& state, const Bait* bait, std::size_t units, bool ordinary,
              bool backtracker) {
    const std::u16string text = BaitText(*bait, units, ordinary);
    const CPatternT<char16_t> pattern(bait->pattern);
    MatchOutcome outcome = MatchOutcome::kStopped;
    for (auto _ : state) {
        qx::pattern::CMatchContext context;
        if (backtracker) context.UseBacktracker();
        outcome = pattern.Test(text.data(), text.size(), 0, context);
    }
    // The backtracker may stop at its bound; the linear search must find it.
    if (outcome != MatchOutcome::kMatch && !backtracker) state.SkipWithError("match not found");
    state.counters["found"] = outcome == MatchOutcome::kMatch ? 1 : 0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * 2));
}

std::string BaitName(const char* kind, const char* engine, const Bait& bait, std::size_t units) {
    return std::string(kind) + "/" + engine + "/" + bait.name + "/" + std::to_string(units >> 20) +
           "Mi";
}

// --- the tables ---------------------------------------------------------------

// Collects every run's CPU time per iteration (seconds) by name while the
// console shows the usual report. CPU time, because the machine is shared:
// wall time would count other processes' turns.
class TableReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            seconds_[run.benchmark_name()] =
                (run.run_name.time_type == "manual_time" ? run.real_accumulated_time
                                                         : run.cpu_accumulated_time) /
                static_cast<double>(run.iterations);
            const auto found = run.counters.find("found");
            if (found != run.counters.end()) found_[run.benchmark_name()] = found->second > 0;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintBaitTable() const {
        std::printf(
            "\n| Pattern | Units | Ordinary page: backtracker / Test (ms) | Bait: backtracker / "
            "Test (ms) | Bait / ordinary, Test | Match behind the bait found: backtracker / Test "
            "|\n|---|---|---|---|---|---|\n");
        for (const Bait& bait : kBaits) {
            for (const std::size_t units : kBaitSizes) {
                const std::string page = BaitName("page", "linear", bait, units);
                const std::string trap = BaitName("bait", "linear", bait, units);
                const std::string pageBack = BaitName("page", "backtracker", bait, units);
                const std::string trapBack = BaitName("bait", "backtracker", bait, units);
                char ratio[32] = "n/a";
                if (Find(page) > 0 && Find(trap) > 0)
                    std::snprintf(ratio, sizeof ratio, "%.1f", Find(trap) / Find(page));
                std::printf("| `%s` | %zu Mi | %s / %s | %s / %s | %s | %s / %s |\n", bait.name,
                            units >> 20, Value(pageBack, 1e3).c_str(), Value(page, 1e3).c_str(),
                            Value(trapBack, 1e3).c_str(), Value(trap, 1e3).c_str(), ratio,
                            Found(trapBack).c_str(), Found(trap).c_str());
            }
        }
    }

    void PrintTable() const {
        std::printf(
            "\n| Rule step | Pattern | Compile: ours / PCRE2 / std (us) | No match: ours / "
            "Test / PCRE2 / std (ms) | Late match: ours / Test / PCRE2 / std (ms) | Compile "
            "ours/PCRE2 | Search ours/PCRE2 | Search ours/std |\n|---|---|---|---|---|---|---|---|"
            "\n");
        int index = 0;
        for (const RulePattern& rule : kRulePatterns) {
            const std::string id = "/" + std::to_string(index++);
            std::string pattern;
            for (const char16_t* unit = rule.pattern; *unit != 0; ++unit)
                pattern += *unit == u'|' ? std::string("\\|") : std::string(1, char(*unit));
            std::printf(
                "| %s | `%s` | %s / %s / %s | %s / %s / %s / %s | %s / %s / %s / %s | %s | %s | "
                "%s |\n",
                rule.step, pattern.c_str(), Value("compile/ours" + id, 1e6).c_str(),
                Value("compile/pcre2" + id, 1e6).c_str(), Value("compile/std" + id, 1e6).c_str(),
                Value("nomatch/ours" + id, 1e3).c_str(), Value("nomatch/test" + id, 1e3).c_str(),
                Value("nomatch/pcre2" + id, 1e3).c_str(), Value("nomatch/std" + id, 1e3).c_str(),
                Value("late/ours" + id, 1e3).c_str(), Value("late/test" + id, 1e3).c_str(),
                Value("late/pcre2" + id, 1e3).c_str(), Value("late/std" + id, 1e3).c_str(),
                CompileRatio(id).c_str(), Ratio(id, "pcre2").c_str(), Ratio(id, "std").c_str());
        }
    }

  private:
    std::string Value(const std::string& name, double scale) const {
        const auto found = Find(name);
        if (found < 0) return "n/a";
        char text[32];
        std::snprintf(text, sizeof text, found * scale < 10 ? "%.2f" : "%.0f", found * scale);
        return text;
    }
    // Search time of ours over theirs, no-match and late-match runs together.
    std::string Ratio(const std::string& id, const std::string& other) const {
        const double ours = Find("nomatch/ours" + id) + Find("late/ours" + id);
        const double theirs = Find("nomatch/" + other + id) + Find("late/" + other + id);
        if (Find("nomatch/" + other + id) < 0 || Find("late/" + other + id) < 0) return "n/a";
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", ours / theirs);
        return text;
    }
    std::string CompileRatio(const std::string& id) const {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f",
                      Find("compile/ours" + id) / Find("compile/pcre2" + id));
        return text;
    }
    std::string Found(const std::string& name) const {
        for (const auto& [run, found] : found_)
            if (run.compare(0, name.size(), name) == 0) return found ? "yes" : "no";
        return "n/a";
    }
    double Find(const std::string& prefix) const {
        for (const auto& [name, seconds] : seconds_)
            if (name.compare(0, prefix.size(), prefix) == 0 &&
                (name.size() == prefix.size() || name[prefix.size()] == '/'))
                return seconds;
        return -1;
    }

    std::map<std::string, double> seconds_;
    std::map<std::string, bool> found_;
};

}  // namespace

int main(int argc, char** argv) {
    int index = 0;
    for (const RulePattern& rule : kRulePatterns) {
        const std::string id = "/" + std::to_string(index++);
        const bool std = StdCanExpress(rule);
        benchmark::RegisterBenchmark(("compile/ours" + id).c_str(), CompileOurs, &rule);
        benchmark::RegisterBenchmark(("compile/pcre2" + id).c_str(), CompilePcre2Bench, &rule);
        if (std) benchmark::RegisterBenchmark(("compile/std" + id).c_str(), CompileStd, &rule);
        for (const bool late : {false, true}) {
            const std::string kind = late ? "late" : "nomatch";
            benchmark::RegisterBenchmark((kind + "/ours" + id).c_str(), SearchOurs, &rule, late)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((kind + "/test" + id).c_str(), TestOurs, &rule, late)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((kind + "/pcre2" + id).c_str(), SearchPcre2, &rule, late)
                ->Unit(benchmark::kMillisecond);
            if (std)
                benchmark::RegisterBenchmark((kind + "/std" + id).c_str(), SearchStd, &rule, late)
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(1);
        }
    }
    for (const Bait& bait : kBaits) {
        for (const std::size_t units : kBaitSizes) {
            for (const bool ordinary : {true, false}) {
                const char* kind = ordinary ? "page" : "bait";
                benchmark::RegisterBenchmark(BaitName(kind, "linear", bait, units).c_str(),
                                             TestBait, &bait, units, ordinary, false)
                    ->Unit(benchmark::kMillisecond);
                // The backtracker takes up to about 5 s per Mi units of bait.
                benchmark::RegisterBenchmark(BaitName(kind, "backtracker", bait, units).c_str(),
                                             TestBait, &bait, units, ordinary, true)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable();
    reporter.PrintBaitTable();
    benchmark::Shutdown();
    return 0;
}
