// The scan of a tree: the walk, the routing of each file to its family's rule
// set and the file's rating, told to a client in walk order on the thread
// that runs the scan. This is the engine's C++ interface for scans: the C
// interface's sessions and the command line both drive it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine_types.h"
#include "file_examiner.h"
#include "rules/rule_sets.h"

namespace qx {

// The family whose extension list holds the extension of `name` (compared
// without regard to ASCII case), if any.
std::optional<Family> FamilyOfName(std::u16string_view name);

// Why a directory or file was left unchecked, or checked only in part.
struct Problem {
    enum class Kind {
        kUnlistable,     // a directory could not be opened or listed in full
        kUnreadable,     // a file could not be opened or read
        kPathTooLong,    // its path passes the platform's limit (Windows)
        kTooLarge,       // a file larger than the scan's limit: not read
        kRatedInPart,    // a text past the reader's cap: rated up to it
        kSearchStopped,  // a pattern search stopped at a bound of the engine
        kOutOfMemory,
        kExaminationFailed,  // the examiner could not look at the file (`what` says why)
    };
    Kind kind;
    std::uint32_t error = 0;  // the system's code, for kUnlistable and kUnreadable
    std::string what{};
};

// How a file is rated: by a family's rule set, by the scan's examiner, both
// or neither.
struct FileRoute {
    std::optional<Family> family;
    bool examine = false;
};

// What rating one file found: the rule set's rating, the examiner's, and the
// verdict they come to, the higher of the two.
struct Finding {
    ScanVerdict verdict = VerdictNone;
    Rating rating;  // the rule set's; verdict 0 and no reason when only the examiner found
    Examination examination;
};

struct ScanSettings {
    // The encoding of text without a byte-order mark, as os::MakeDecoder
    // names it; empty: the ANSI code page.
    std::string code_set{};
    // Files larger than this many bytes are not read; 0: no limit.
    std::uint64_t max_file_size = 0;
    // Makes the examiner of each rating thread; none when empty.
    ExaminerFactory examiner{};
    // Rating threads; 0: one per processor core. The walk and every call to
    // the client stay on the thread that runs the scan.
    int threads = 0;
    // The cascades the step-by-step way, for comparison (same answers).
    bool reference_rules = false;
};

class ScanClient {
  public:
    virtual ~ScanClient() = default;

    // Checked between directory entries and before each subdirectory.
    virtual bool StopRequested() const { return false; }
    // How the file at `path` (whose own name is `name`) is rated; asked once
    // for every file when the walk reaches it, which may be before earlier
    // files' events are told. By default every family's files, by their rule
    // set and the examiner.
    virtual FileRoute Route(const std::u16string& /*path*/, std::u16string_view name) {
        const std::optional<Family> family = FamilyOfName(name);
        return {family, family.has_value()};
    }
    // Whether to enter a subdirectory (with everything below it).
    virtual bool ShouldEnter(const std::u16string& /*path*/, std::u16string_view /*name*/) {
        return true;
    }

    // Whether the client hears OnDirectory and OnFile. One that does not is
    // never told of them, which spares a scan an event for every file and
    // directory it passes.
    virtual bool HearsEntries() const { return true; }
    // At the start of every directory, the root included, before its entries.
    virtual void OnDirectory(const std::u16string&) {}
    // For every file, whatever its name, before it is rated.
    virtual void OnFile(const std::u16string&) {}
    // A file rated above 0 by its rule set or the examiner.
    virtual void OnFinding(const std::u16string& path, const Finding& finding) = 0;
    // What kept a directory or file from being checked in full; after the
    // file's finding, if it has one.
    virtual void OnProblem(const std::u16string& /*path*/, const Problem& /*problem*/) {}
};

// Scans trees and single files in turn on one pool of rating threads, so
// that the threads stay busy from one to the next. The client hears of each
// in the order given, everything on the thread that calls.
class Scanner {
  public:
    Scanner(ScanClient& client, const ScanSettings& settings = {});
    ~Scanner();
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    // Scans the directory at `root` (a link there is followed); returns the
    // number of files visited. Its last events may be told only by a later
    // call or by Finish.
    int Tree(const std::u16string& root);
    // Reaches and rates the one file at `path` as the walk would have.
    void File(const std::u16string& path);
    // Runs `event` once everything given before it is told.
    void Then(std::function<void()> event);
    // Tells everything still to be told.
    void Finish();

  private:
    class Visitor;
    std::unique_ptr<Visitor> visitor_;
};

// One tree, told in full before returning.
int ScanTree(const std::u16string& root, ScanClient& client, const ScanSettings& settings = {});

}  // namespace qx
