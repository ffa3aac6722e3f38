// `quellix scan`: rates the script files under each PATH (directories and
// files) and prints one line per finding in walk order, every problem that
// left something unchecked, then the scan page's summary sentence.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "interrupt.h"
#include "scan_options.h"
#include "scan_report.h"

namespace qx::cli {
namespace {

struct ScanCommandOptions {
    ScanOptions scan;
    std::vector<std::string> paths;
    std::string files_from;
    bool null_separated = false;
};

// The paths of --files-from: one a line, or NUL-separated with -0.
std::vector<std::string> ReadPathList(const std::string& source, bool null_separated) {
    std::ifstream file;
    std::istream* in = &std::cin;
    if (source != "-") {
        file.open(FsPath(source), std::ios::binary);
        if (!file) throw UsageError("cannot read the path list " + source);
        in = &file;
    }
    std::vector<std::string> paths;
    std::string path;
    while (std::getline(*in, path, null_separated ? '\0' : '\n')) {
        if (!null_separated && !path.empty() && path.back() == '\r') path.pop_back();
        if (!path.empty()) paths.push_back(path);
    }
    if (in->bad()) throw UsageError("cannot read the path list " + source);
    return paths;
}

enum class PathKind { kMissing, kDirectory, kFile, kOther };

// What a PATH names, a link followed (the user named it).
PathKind KindOf(const std::string& path, std::error_code& error) {
    const std::filesystem::file_status status = std::filesystem::status(FsPath(path), error);
    if (error) return PathKind::kMissing;
    if (std::filesystem::is_directory(status)) return PathKind::kDirectory;
    if (std::filesystem::is_regular_file(status)) return PathKind::kFile;
    return PathKind::kOther;
}

int Scan(const ScanCommandOptions& options) {
    const ScanPlan plan = MakeScanPlan(options.scan);
    // A PATH on the command line that names nothing is bad usage, found
    // before anything is scanned.
    for (const std::string& path : options.paths) {
        std::error_code error;
        const PathKind kind = KindOf(path, error);
        if (kind == PathKind::kMissing) throw UsageError(path + ": " + error.message());
        if (kind == PathKind::kOther) throw UsageError(path + ": not a file or directory");
    }
    std::vector<std::string> paths = options.paths;
    if (!options.files_from.empty()) {
        std::vector<std::string> listed = ReadPathList(options.files_from, options.null_separated);
        paths.insert(paths.end(), listed.begin(), listed.end());
    }
    if (paths.empty()) throw UsageError("give a PATH to scan");
    CheckQuarantine(plan, paths);

    ScanReport report(plan);
    // One pool for every PATH: the threads go on from one to the next.
    Scanner scanner(report, plan.settings);
    for (const std::string& path : paths) {
        if (report.StopRequested()) break;
        const std::u16string root = FromUtf8(path);
        std::error_code error;
        switch (KindOf(path, error)) {
            case PathKind::kDirectory:
                report.BeginRoot(root);
                scanner.Tree(root);
                break;
            case PathKind::kFile:
                report.BeginRoot(root);
                scanner.File(root);
                break;
            case PathKind::kMissing:
                scanner.Then([&report, root, what = "cannot access: " + error.message()] {
                    report.Problem(root, what);
                });
                break;
            case PathKind::kOther:
                scanner.Then([&report, root] { report.Problem(root, "not a file or directory"); });
                break;
        }
    }
    scanner.Finish();
    report.Finish();
    return report.ExitStatus();
}

}  // namespace

void AddScanCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<ScanCommandOptions>();
    CLI::App* scan = app.add_subcommand(
        "scan",
        "Rate every ASP, ASPX, PHP and JSP file under each PATH (directories or files). Exit "
        "status: 0 all checked and nothing found, 1 findings, 2 something left unchecked or bad "
        "usage, 130/143 after SIGINT/SIGTERM.");
    AddScanOptions(*scan, options->scan);
    scan->add_option("--files-from", options->files_from,
                     "also scan the paths listed in FILE (- for standard input), one a line");
    scan->add_flag("-0,--null", options->null_separated, "the --files-from list is NUL-separated");
    scan->add_option("PATH", options->paths, "directories and files to scan");
    scan->callback([options, &status] { status = Scan(*options); });
}

}  // namespace qx::cli
