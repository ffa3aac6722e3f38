#include "scan_driver.h"

#include <algorithm>
#include <cstdint>
#include <thread>

#include "file_rating.h"
#include "ordered_pool.h"
#include "os/path.h"
#include "tree_walk.h"

namespace qx {
namespace {

// An extension of up to eight ASCII units, folded to lower case, one unit a
// byte; 0 for any other. The walk asks this of every file it lists.
constexpr std::uint64_t PackedExtension(std::u16string_view extension) {
    if (extension.size() > 8) return 0;
    std::uint64_t packed = 0;
    for (char16_t c : extension) {
        if (c >= 0x80) return 0;
        if (c >= u'A' && c <= u'Z') c += 0x20;
        packed = packed << 8 | c;
    }
    return packed;
}

struct Route {
    std::uint64_t extension;
    Family family;
};

// The extensions are distinct, so a file goes to one rule set at most.
constexpr Route kRoutes[] = {
    {PackedExtension(u".asp"), Family::kAsp},   {PackedExtension(u".asa"), Family::kAsp},
    {PackedExtension(u".cer"), Family::kAsp},   {PackedExtension(u".inc"), Family::kAsp},
    {PackedExtension(u".htr"), Family::kAsp},   {PackedExtension(u".cdx"), Family::kAsp},
    {PackedExtension(u".aspx"), Family::kAspx}, {PackedExtension(u".ascx"), Family::kAspx},
    {PackedExtension(u".asax"), Family::kAspx}, {PackedExtension(u".ashx"), Family::kAspx},
    {PackedExtension(u".php"), Family::kPhp},   {PackedExtension(u".php3"), Family::kPhp},
    {PackedExtension(u".php4"), Family::kPhp},  {PackedExtension(u".php5"), Family::kPhp},
    {PackedExtension(u".phtml"), Family::kPhp}, {PackedExtension(u".jsp"), Family::kJsp},
    {PackedExtension(u".jspx"), Family::kJsp},
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
    const std::uint64_t extension = PackedExtension(os::Extension(name));
    if (extension == 0) return std::nullopt;
    for (const Route& route : kRoutes) {
        if (route.extension == extension) return route.family;
    }
    return std::nullopt;
}

// One thing to tell the client, filled in by the walk and, for a file to
// rate, by a rating thread.
struct ScanItem {
    // A file's kFile is told before its kRatedFile.
    enum class Kind { kDirectory, kProblem, kFile, kRatedFile, kEvent };
    Kind kind = Kind::kEvent;
    std::u16string path;
    bool cut = false;     // kFile: one to rate, but its path had to be cut
    Problem problem;      // kProblem
    FileRoute route;      // kRatedFile
    std::u16string name;  // kRatedFile from a walk: its name in `directory`
    std::shared_ptr<const os::Directory> directory;  // none for a file given by path
    FileRating rating;                               // kRatedFile, set by the rating
    std::function<void()> event;                     // kEvent

    void Drop() {
        directory.reset();  // holds the directory open
        event = nullptr;
        rating = {};  // an examiner's report can be long: not kept for the next file
    }
};

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
              [&client] { return client.StopRequested(); }, Rate,
              [this](ScanItem& item) { Tell(item); }),
          hears_entries_(client.HearsEntries()) {
        pool_.LimitHolding(os::DirectoriesToHold());
    }

    bool StopRequested() const override { return client_.StopRequested(); }
    bool ShouldEnter(const std::u16string& path, std::u16string_view name) override {
        return client_.ShouldEnter(path, name);
    }

    void OnDirectory(const std::u16string& directory) override {
        if (!hears_entries_) return;
        ScanItem& item = pool_.Next();
        item.kind = ScanItem::Kind::kDirectory;
        item.path.assign(directory);
        pool_.Give(false);
    }

    void OnUnlistable(const std::u16string& path, std::uint32_t error) override {
        ScanItem& item = pool_.Next();
        item.kind = ScanItem::Kind::kProblem;
        item.path.assign(path);
        item.problem = {
            error == os::kPathTooLong ? Problem::Kind::kPathTooLong : Problem::Kind::kUnlistable,
            error};
        pool_.Give(false);
    }

    void OnFile(const WalkEntry& file) override {
        const FileRoute route = client_.Route(file.path, file.name);
        if (!Reached(file.path, route, file.whole)) return;
        ScanItem& item = pool_.Next();
        item.kind = ScanItem::Kind::kRatedFile;
        item.path.assign(file.path);
        item.route = route;
        item.name.assign(file.name);
        item.directory = file.directory;
        pool_.Give(true, runs_.First(file.directory));
    }

    void OnSingleFile(const std::u16string& path) {
        const FileRoute route = client_.Route(path, os::FileName(path));
        if (!Reached(path, route, true)) return;
        ScanItem& item = pool_.Next();
        item.kind = ScanItem::Kind::kRatedFile;
        item.path.assign(path);
        item.route = route;
        pool_.Give(true);
    }

    void Then(std::function<void()> event) {
        ScanItem& item = pool_.Next();
        item.kind = ScanItem::Kind::kEvent;
        item.event = std::move(event);
        pool_.Give(false);
    }

    void Finish() { pool_.Finish(); }

  private:
    // Tells of a file reached; true when it is to be rated.
    bool Reached(const std::u16string& path, const FileRoute& route, bool whole) {
        const bool routed = route.family || route.examine;
        const bool cut = routed && !whole;  // a cut path names some other file: it is never opened
        if (hears_entries_ || cut) {
            ScanItem& item = pool_.Next();
            item.kind = ScanItem::Kind::kFile;
            item.path.assign(path);
            item.cut = cut;
            pool_.Give(false);
        }
        return routed && whole;
    }

    static void Rate(FileRater& rater, ScanItem& item) {
        item.rating = item.directory ? rater.Rate(item.route, *item.directory, item.name, item.path)
                                     : rater.Rate(item.route, item.path);
    }

    void Tell(const ScanItem& item) {
        switch (item.kind) {
            case ScanItem::Kind::kDirectory:
                client_.OnDirectory(item.path);
                break;
            case ScanItem::Kind::kProblem:
                client_.OnProblem(item.path, item.problem);
                break;
            case ScanItem::Kind::kFile:
                if (hears_entries_) client_.OnFile(item.path);
                if (item.cut) client_.OnProblem(item.path, {Problem::Kind::kPathTooLong});
                break;
            case ScanItem::Kind::kRatedFile:
                Report(client_, item.path, item.rating);
                break;
            case ScanItem::Kind::kEvent:
                item.event();
                break;
        }
    }

    ScanClient& client_;
    DirectoryRuns runs_;  // of the files given to rate
    OrderedPool<FileRater, ScanItem> pool_;
    const bool hears_entries_;
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
    visitor_->Then(std::move(event));
}

void Scanner::Finish() {
    visitor_->Finish();
}

int ScanTree(const std::u16string& root, ScanClient& client, const ScanSettings& settings) {
    Scanner scanner(client, settings);
    const int files = scanner.Tree(root);
    scanner.Finish();
    return files;
}

}  // namespace qx
