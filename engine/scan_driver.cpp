#include "scan_driver.h"

#include <algorithm>
#include <array>
#include <thread>

#include "file_rating.h"
#include "ordered_pool.h"
#include "os/path.h"
#include "tree_walk.h"

namespace qx {
namespace {

struct Route {
    Family family;
    std::array<std::u16string_view, 6> extensions;  // empty views pad the shorter lists
};

// The lists are disjoint, so a file goes to one rule set at most.
constexpr Route kRoutes[] = {
    {Family::kAsp, {u".asp", u".asa", u".cer", u".inc", u".htr", u".cdx"}},
    {Family::kAspx, {u".aspx", u".ascx", u".asax", u".ashx"}},
    {Family::kPhp, {u".php", u".php3", u".php4", u".php5", u".phtml"}},
    {Family::kJsp, {u".jsp", u".jspx"}},
};

// Tells the client a file's rating and everything that kept it from being
// checked in full.
void Report(ScanClient& client, const std::u16string& path, const FileRating& rated) {
    if (rated.finding.verdict > VerdictNone) client.OnFinding(path, rated.finding);
    if (rated.unreadable) client.OnProblem(path, {Problem::Kind::kUnreadable, rated.error});
    if (rated.too_large) client.OnProblem(path, {Problem::Kind::kTooLarge});
    if (rated.rated_in_part) client.OnProblem(path, {Problem::Kind::kRatedInPart});
    if (rated.search_stopped) client.OnProblem(path, {Problem::Kind::kSearchStopped});
    if (rated.out_of_memory) client.OnProblem(path, {Problem::Kind::kOutOfMemory});
    if (!rated.finding.examination.problem.empty()) {
        client.OnProblem(path,
                         {Problem::Kind::kExaminationFailed, 0, rated.finding.examination.problem});
    }
}

std::unique_ptr<FileExaminer> MakeExaminer(const ScanSettings& settings) {
    return settings.examiner ? settings.examiner() : nullptr;
}

int ThreadsFor(const ScanSettings& settings) {
    if (settings.threads > 0) return settings.threads;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

}  // namespace

std::optional<Family> FamilyOfName(std::u16string_view name) {
    const std::u16string_view extension = os::Extension(name);
    if (extension.empty()) return std::nullopt;
    for (const Route& route : kRoutes) {
        for (std::u16string_view candidate : route.extensions) {
            if (!candidate.empty() && os::EqualsIgnoringAsciiCase(extension, candidate)) {
                return route.family;
            }
        }
    }
    return std::nullopt;
}

// Walks on the caller's thread and rates on the pool's; the client hears
// everything on the caller's thread, in walk order.
class Scanner::Visitor : public TreeVisitor {
  public:
    Visitor(ScanClient& client, const ScanSettings& settings)
        : client_(client),
          pool_(
              ThreadsFor(settings),
              [settings] {
                  return std::make_unique<FileRater>(settings.code_set, settings.max_file_size,
                                                     MakeExaminer(settings),
                                                     settings.reference_rules);
              },
              [&client] { return client.StopRequested(); }) {}

    bool StopRequested() const override { return client_.StopRequested(); }
    bool ShouldEnter(const std::u16string& path, std::u16string_view name) override {
        return client_.ShouldEnter(path, name);
    }

    void OnDirectory(const std::u16string& directory) override {
        pool_.Event([this, directory] { client_.OnDirectory(directory); });
    }

    void OnUnlistable(const std::u16string& path, std::uint32_t error) override {
        const Problem problem{
            error == os::kPathTooLong ? Problem::Kind::kPathTooLong : Problem::Kind::kUnlistable,
            error};
        pool_.Event([this, path, problem] { client_.OnProblem(path, problem); });
    }

    void OnFile(const WalkEntry& file) override {
        const FileRoute route = client_.Route(file.path, file.name);
        if (!Reached(file.path, route, file.whole)) return;
        pool_.Job(
            [route, directory = file.directory, name = std::u16string(file.name), path = file.path](
                FileRater& rater) { return rater.Rate(route, *directory, name, path); },
            Teller(file.path));
    }

    void OnSingleFile(const std::u16string& path) {
        const FileRoute route = client_.Route(path, os::FileName(path));
        if (!Reached(path, route, true)) return;
        pool_.Job([route, path](FileRater& rater) { return rater.Rate(route, path); },
                  Teller(path));
    }

    OrderedPool<FileRater, FileRating>& Pool() { return pool_; }

  private:
    // Tells of a file reached; true when it is to be rated.
    bool Reached(const std::u16string& path, const FileRoute& route, bool whole) {
        pool_.Event([this, path] { client_.OnFile(path); });
        if (!route.family && !route.examine) return false;
        if (!whole) {
            // A cut path names some other file: it is never opened.
            pool_.Event([this, path] { client_.OnProblem(path, {Problem::Kind::kPathTooLong}); });
            return false;
        }
        return true;
    }

    std::function<void(FileRating&)> Teller(const std::u16string& path) {
        return [this, path](FileRating& rated) { Report(client_, path, rated); };
    }

    ScanClient& client_;
    OrderedPool<FileRater, FileRating> pool_;
};

Scanner::Scanner(ScanClient& client, const ScanSettings& settings)
    : visitor_(std::make_unique<Visitor>(client, settings)) {}

Scanner::~Scanner() = default;

int Scanner::Tree(const std::u16string& root) {
    return WalkTree(root, *visitor_);
}

void Scanner::File(const std::u16string& path) {
    visitor_->OnSingleFile(path);
}

void Scanner::Then(std::function<void()> event) {
    visitor_->Pool().Event(std::move(event));
}

void Scanner::Finish() {
    visitor_->Pool().Finish();
}

int ScanTree(const std::u16string& root, ScanClient& client, const ScanSettings& settings) {
    Scanner scanner(client, settings);
    const int files = scanner.Tree(root);
    scanner.Finish();
    return files;
}

}  // namespace qx
