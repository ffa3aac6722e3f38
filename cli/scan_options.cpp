#include "scan_options.h"

#include <limits>

#include "console.h"
#include "frontend/shown_texts.h"
#include "os/codepage.h"
#include "os/path.h"
#include "yara_support.h"

namespace qx::cli {
namespace {

std::optional<Family> FamilyNamed(std::string_view name) {
    if (name == "asp") return Family::kAsp;
    if (name == "aspx") return Family::kAspx;
    if (name == "php") return Family::kPhp;
    if (name == "jsp") return Family::kJsp;
    return std::nullopt;
}

ScanVerdict LevelOption(const std::string& option, const std::string& level) {
    const int verdict = frontend::VerdictOfLevel(level);
    if (verdict == 0) {
        throw UsageError(option + " wants suspicious, dangerous or trojan: " + level);
    }
    return static_cast<ScanVerdict>(verdict);
}

// FAMILY=.EXT[,.EXT...]
void AddExtensions(ScanPlan& plan, const std::string& mapping) {
    const std::size_t equals = mapping.find('=');
    const std::optional<Family> family =
        equals == std::string::npos ? std::nullopt : FamilyNamed(mapping.substr(0, equals));
    if (!family)
        throw UsageError("--ext wants FAMILY=.EXT[,.EXT...] with asp, aspx, php or jsp: " +
                         mapping);
    std::string_view list = std::string_view(mapping).substr(equals + 1);
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view extension = list.substr(0, comma);
        if (extension.size() < 2 || extension[0] != '.' ||
            extension.find_first_of("/\\", 1) != std::string_view::npos) {
            throw UsageError("--ext wants extensions such as .php7: " + mapping);
        }
        plan.extra_extensions.emplace_back(FromUtf8(extension), *family);
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
}

}  // namespace

void AddScanOptions(CLI::App& command, ScanOptions& o) {
    command.add_flag("--asp", o.asp, "rate .asp .asa .cer .inc .htr .cdx files");
    command.add_flag("--aspx", o.aspx, "rate .aspx .ascx .asax .ashx files");
    command.add_flag("--php", o.php, "rate .php .php3 .php4 .php5 .phtml files");
    command.add_flag("--jsp", o.jsp, "rate .jsp .jspx files (no family named: all four)");
    // One value for each use of a repeatable option: what follows is the scan's.
    command
        .add_option("--ext", o.extensions,
                    "FAMILY=.EXT[,.EXT...]: also rate these extensions with asp, aspx, php "
                    "or jsp (repeatable)")
        ->allow_extra_args(false);
    command
        .add_option("--exclude", o.excludes,
                    "leave out files whose name or path below PATH matches GLOB (repeatable)")
        ->allow_extra_args(false);
    command
        .add_option("--exclude-dir", o.exclude_dirs,
                    "leave out directories whose name or path below PATH matches GLOB "
                    "(repeatable)")
        ->allow_extra_args(false);
    command.add_option("--max-filesize", o.max_filesize,
                       "skip (and report) files larger than SIZE (suffixes K, M, G)");
    command.add_option("--encoding", o.encoding,
                       "encoding of text without a byte-order mark, such as GB18030 "
                       "(default: the locale's)");
    command.add_option("--min-level", o.min_level,
                       "report findings from this level up: suspicious, dangerous or trojan");
    command.add_option("-j,--threads", o.threads, "rating threads (default: one per core)");
    CLI::Option* yara = command.add_option("--yara", o.yara,
                                           "also match the YARA rules of PATH: a rules file, a "
                                           "folder of .yar/.yara files or rules saved by yarac "
                                           "(repeatable)");
    yara->allow_extra_args(false);
    command
        .add_flag("--yara-all-files", o.yara_all_files,
                  "match the YARA rules against every file, not only the rated scripts")
        ->needs(yara);
    command
        .add_option("--yara-timeout", o.yara_timeout,
                    "seconds the YARA rules may spend on one file (default 10)")
        ->needs(yara);
    command.add_flag("--json", o.json, "one JSON object per line");
    command.add_flag("--no-progress", o.no_progress, "no progress line on standard error");
    command.add_flag("-q,--quiet", o.quiet, "no summary");
    // The cascades run the step-by-step way, to compare with the one-pass way.
    command.add_flag("--reference-rules", o.reference_rules)->group("");
    command.add_option("--quarantine", o.quarantine,
                       "move the files found at the quarantine level into DIR (see restore)");
    command.add_option("--quarantine-level", o.quarantine_level,
                       "the least level --quarantine moves: suspicious, dangerous or trojan "
                       "(default: trojan)");
}

std::optional<std::uint64_t> ParseSize(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::uint64_t scale = 1;
    switch (text.back()) {
        case 'K':
        case 'k':
            scale = std::uint64_t{1} << 10;
            break;
        case 'M':
        case 'm':
            scale = std::uint64_t{1} << 20;
            break;
        case 'G':
        case 'g':
            scale = std::uint64_t{1} << 30;
            break;
        default:
            break;
    }
    if (scale != 1) text.remove_suffix(1);
    if (text.empty() || text.size() > 12) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > std::numeric_limits<std::uint64_t>::max() / scale) return std::nullopt;
    return value * scale;
}

FileRoute ScanPlan::Route(std::u16string_view name) const {
    if (const std::optional<Family> family = FamilyOfName(name)) {
        if (families[static_cast<int>(*family)]) return {family, true};
    }
    const std::u16string_view extension = os::Extension(name);
    for (const auto& [extra, family] : extra_extensions) {
        if (os::EqualsIgnoringAsciiCase(extension, extra)) return {family, true};
    }
    return {std::nullopt, examine_all_files};
}

ScanPlan MakeScanPlan(const ScanOptions& o) {
    ScanPlan plan;
    if (o.asp || o.aspx || o.php || o.jsp) {
        plan.families[0] = o.asp, plan.families[1] = o.aspx;
        plan.families[2] = o.php, plan.families[3] = o.jsp;
    }
    for (const std::string& mapping : o.extensions) AddExtensions(plan, mapping);
    for (const std::string& glob : o.excludes) plan.filter.ExcludeFiles(FromUtf8(glob));
    for (const std::string& glob : o.exclude_dirs) plan.filter.ExcludeDirectories(FromUtf8(glob));
    if (!o.max_filesize.empty()) {
        const std::optional<std::uint64_t> size = ParseSize(o.max_filesize);
        if (!size || *size == 0)
            throw UsageError("--max-filesize wants a size such as 10M: " + o.max_filesize);
        plan.settings.max_file_size = *size;
    }
    if (!o.encoding.empty()) {
        if (!os::MakeDecoder(o.encoding)) throw UsageError("unknown encoding: " + o.encoding);
        plan.settings.code_set = o.encoding;
    }
    plan.min_level = LevelOption("--min-level", o.min_level);
    plan.quarantine_dir = o.quarantine;
    plan.quarantine_level = LevelOption("--quarantine-level", o.quarantine_level);
    if (o.threads < 0 || o.threads > 1024) {
        throw UsageError("--threads wants a number from 1 to 1024");
    }
    plan.settings.threads = o.threads;
    plan.settings.reference_rules = o.reference_rules;
    plan.json = o.json;
    plan.progress = !o.no_progress;
    plan.quiet = o.quiet;
    if (!o.yara.empty()) {
        if (o.yara_timeout < 1) throw UsageError("--yara-timeout wants a number of seconds from 1");
        // Compiled once, before anything is scanned.
        plan.settings.examiner = LoadYaraExaminers(o.yara, o.yara_timeout);
        plan.examine_all_files = o.yara_all_files;
    }
    return plan;
}

}  // namespace qx::cli
