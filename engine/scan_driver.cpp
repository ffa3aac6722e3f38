#include "scan_driver.h"

#include <array>

#include "file_rating.h"
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
    if (!rated.finding.inspection.problem.empty()) {
        client.OnProblem(path,
                         {Problem::Kind::kInspectionFailed, 0, rated.finding.inspection.problem});
    }
}

std::unique_ptr<FileInspector> MakeInspector(const ScanSettings& settings) {
    return settings.inspector ? settings.inspector() : nullptr;
}

class ScanVisitor : public TreeVisitor {
  public:
    ScanVisitor(ScanClient& client, const ScanSettings& settings)
        : client_(client),
          rater_(settings.code_set, settings.max_file_size, MakeInspector(settings)) {}

    bool StopRequested() const override { return client_.StopRequested(); }
    void OnDirectory(const std::u16string& directory) override { client_.OnDirectory(directory); }
    bool ShouldEnter(const std::u16string& path, std::u16string_view name) override {
        return client_.ShouldEnter(path, name);
    }
    void OnUnlistable(const std::u16string& path, std::uint32_t error) override {
        client_.OnProblem(path, {error == os::kPathTooLong ? Problem::Kind::kPathTooLong
                                                           : Problem::Kind::kUnlistable,
                                 error});
    }

    void OnFile(const WalkEntry& file) override {
        client_.OnFile(file.path);
        const FileRoute route = client_.Route(file.path, file.name);
        if (!route.family && !route.inspect) return;
        // A cut path names some other file: it is never opened.
        if (!file.whole) return client_.OnProblem(file.path, {Problem::Kind::kPathTooLong});
        Report(client_, file.path, rater_.Rate(route, *file.directory, file.name, file.path));
    }

  private:
    ScanClient& client_;
    FileRater rater_;
};

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

int ScanTree(const std::u16string& root, ScanClient& client, const ScanSettings& settings) {
    ScanVisitor visitor(client, settings);
    return WalkTree(root, visitor);
}

void ScanFile(const std::u16string& path, ScanClient& client, const ScanSettings& settings) {
    client.OnFile(path);
    const std::size_t slash = path.find_last_of(os::kPathSeparator);
    const std::u16string_view name =
        std::u16string_view(path).substr(slash == std::u16string::npos ? 0 : slash + 1);
    const FileRoute route = client.Route(path, name);
    if (!route.family && !route.inspect) return;
    FileRater rater(settings.code_set, settings.max_file_size, MakeInspector(settings));
    Report(client, path, rater.Rate(route, path));
}

}  // namespace qx
