#include "code_cleaner.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>

#include <thread>

#include "ordered_pool.h"
#include "os/codepage.h"
#include "os/path.h"
#include "quick_search.h"
#include "tree_walk.h"

namespace qx {
namespace {

constexpr std::size_t kMaxAnsiPatternBytes = 1023;
#ifdef _WIN32
constexpr std::uint32_t kOutOfMemoryError = 8;  // ERROR_NOT_ENOUGH_MEMORY
#else
constexpr std::uint32_t kOutOfMemoryError = ENOMEM;
#endif

constexpr std::array<std::u16string_view, 9> kCleanableExtensions = {
    u".htm", u".html", u".js", u".css", u".asp", u".aspx", u".php", u".jsp", u".txt"};

bool IsCleanable(std::u16string_view name) {
    const std::u16string_view extension = os::Extension(name);
    return std::any_of(
        kCleanableExtensions.begin(), kCleanableExtensions.end(),
        [&](std::u16string_view e) { return os::EqualsIgnoringAsciiCase(extension, e); });
}

struct Occurrence {
    std::uint64_t offset = 0;
    const CleanForm* form = nullptr;
};

// The first occurrence of the first form found in the first chunk that holds
// one. Chunks overlap by the longest form's length less one, so markup that
// straddles a chunk boundary is found too.
bool FindMarkup(const CleanCode& code, const os::File& page, std::vector<std::uint8_t>& chunk,
                Occurrence& found) {
    const std::size_t longest =
        std::max({code.utf8.pattern.size(), code.ansi.pattern.size(), code.utf16.pattern.size()});
    chunk.resize(kCleanChunkBytes);
    for (std::uint64_t offset = 0;;) {
        const std::int64_t read = page.ReadAt(offset, chunk.data(), chunk.size());
        if (read <= 0) return false;
        const auto count = static_cast<std::size_t>(read);
        for (const CleanForm* form : {&code.utf8, &code.ansi, &code.utf16}) {
            const auto* pattern = reinterpret_cast<const std::uint8_t*>(form->pattern.data());
            const std::ptrdiff_t at =
                QuickSearch(chunk.data(), count, pattern, form->pattern.size());
            if (at >= 0) {
                found = {offset + static_cast<std::uint64_t>(at), form};
                return true;
            }
        }
        if (count < chunk.size()) return false;
        offset += count - (longest - 1);
    }
}

PageOutcome Failed(PageOutcome::Why why, std::uint32_t error = 0) {
    return {PageOutcome::Kind::kFailed, why, error};
}

PageOutcome CleanOpenPage(const CleanCode& code, const os::Directory& root,
                          const os::Directory& directory, std::u16string_view name,
                          const std::u16string& path, CleanClient& client,
                          const CleanSettings& settings, std::vector<std::uint8_t>& chunk,
                          std::string& why) {
    using Kind = PageOutcome::Kind;
    using Why = PageOutcome::Why;
    os::File page;
    const auto mode =
        settings.dry_run ? os::File::Mode::kSharedRead : os::File::Mode::kExclusiveReadWrite;
    if (!page.Open(directory, name, mode)) {
        const std::uint32_t error = page.LastError();
        // A page that cannot be opened for writing may still hold the markup:
        // then it is a page that could not be cleaned, not a clean one.
        if (settings.dry_run || !page.Open(directory, name, os::File::Mode::kSharedRead)) {
            return {Kind::kUnreadable, Why::kSystem, error};
        }
        Occurrence found;
        const std::int64_t size = page.Size();
        if (size <= 0 || size > static_cast<std::int64_t>(kMaxPageBytes) ||
            !FindMarkup(code, page, chunk, found)) {
            return {};
        }
        return Failed(Why::kCannotWrite, error);
    }
    const std::int64_t size = page.Size();
    if (size <= 0) return {};
    if (size > static_cast<std::int64_t>(kMaxPageBytes)) return {Kind::kTooLarge};
    Occurrence found;
    if (!FindMarkup(code, page, chunk, found)) return {};
    if (settings.dry_run) return {Kind::kFound};

    // Writing through one name would change the page under its other names,
    // which may lie outside the tree.
    if (page.LinkCount() > 1) return Failed(Why::kOtherLinks);
    if (!page.LiesBelow(root)) return Failed(Why::kOutsideTree);
    if (!client.BeforeChange(path, page, why)) return Failed(Why::kBeforeChange);

    // A save made since the search wins: only bytes that are still the
    // markup are blanked.
    const std::size_t length = found.form->pattern.size();
    std::vector<std::uint8_t> now(length);
    if (page.Size() != size ||
        page.ReadAt(found.offset, now.data(), length) != static_cast<std::int64_t>(length) ||
        std::memcmp(now.data(), found.form->pattern.data(), length) != 0) {
        return Failed(Why::kChanged);
    }
    if (!page.WriteAt(found.offset, found.form->blanks.data(), length)) {
        return Failed(Why::kSystem, page.LastError());
    }
    return {Kind::kCleaned};
}

// One thing to tell the client, filled in by the walk and, for a page to
// clean, by a cleaning thread.
struct CleanItem {
    // A file's kFile is told before its kPage.
    enum class Kind { kDirectory, kUnlistable, kFile, kPage };
    Kind kind = Kind::kFile;
    std::u16string path;
    std::uint32_t error = 0;  // kUnlistable
    bool whole = true;        // kPage: false when the path had to be cut
    std::u16string name;      // kPage: its name in `directory`
    std::shared_ptr<const os::Directory> directory;
    PageOutcome outcome;  // kPage, set by the cleaning
    std::string why;

    void Drop() { directory.reset(); }  // holds the directory open
};

// Each cleaning thread's scratch space.
struct Cleaner {
    std::vector<std::uint8_t> chunk;
};

int ThreadsFor(const CleanSettings& settings) {
    if (settings.threads > 0) return settings.threads;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// Walks on the caller's thread and cleans pages on the pool's, each page by
// one thread; the client hears everything on the caller's thread, in walk
// order (BeforeChange excepted: it runs on the thread that changes the page).
class CleanVisitor : public TreeVisitor {
  public:
    CleanVisitor(const CleanCode& code, CleanClient& client, const CleanSettings& settings,
                 const os::Directory& root)
        : code_(code),
          client_(client),
          settings_(settings),
          root_(root),
          pool_(
              ThreadsFor(settings), [] { return std::make_unique<Cleaner>(); },
              [&client] { return client.StopRequested(); },
              [this](Cleaner& cleaner, CleanItem& item) { Clean(cleaner, item); },
              [this](CleanItem& item) { Tell(item); }) {
        pool_.LimitHolding(os::DirectoriesToHold());
    }

    bool StopRequested() const override { return client_.StopRequested(); }
    void OnDirectory(const std::u16string& directory) override {
        CleanItem& item = pool_.Next();
        item.kind = CleanItem::Kind::kDirectory;
        item.path.assign(directory);
        pool_.Give(false);
    }
    void OnUnlistable(const std::u16string& path, std::uint32_t error) override {
        CleanItem& item = pool_.Next();
        item.kind = CleanItem::Kind::kUnlistable;
        item.path.assign(path);
        item.error = error;
        pool_.Give(false);
    }

    void OnFile(const WalkEntry& file) override {
        CleanItem& reached = pool_.Next();
        reached.kind = CleanItem::Kind::kFile;
        reached.path.assign(file.path);
        pool_.Give(false);
        // A session whose clean code was never set changes nothing: not even an open.
        if (!code_.set || code_.utf8.pattern.empty() || !IsCleanable(file.name)) return;
        CleanItem& item = pool_.Next();
        item.kind = CleanItem::Kind::kPage;
        item.path.assign(file.path);
        item.whole = file.whole;
        item.name.assign(file.name);
        item.directory = file.directory;
        pool_.Give(true, runs_.First(file.directory));
    }

    void Finish() { pool_.Finish(); }

  private:
    void Clean(Cleaner& cleaner, CleanItem& item) {
        item.why.clear();
        if (!item.whole) {
            // A cut path names some other file: it is never opened.
            item.outcome = Failed(PageOutcome::Why::kPathTooLong);
            return;
        }
        try {
            item.outcome = CleanOpenPage(code_, root_, *item.directory, item.name, item.path,
                                         client_, settings_, cleaner.chunk, item.why);
        } catch (const std::bad_alloc&) {
            item.outcome = {PageOutcome::Kind::kUnreadable, PageOutcome::Why::kSystem,
                            kOutOfMemoryError};
        }
    }

    void Tell(const CleanItem& item) {
        switch (item.kind) {
            case CleanItem::Kind::kDirectory:
                client_.OnDirectory(item.path);
                break;
            case CleanItem::Kind::kUnlistable:
                client_.OnUnlistable(item.path, item.error);
                break;
            case CleanItem::Kind::kFile:
                client_.OnFile(item.path);
                break;
            case CleanItem::Kind::kPage:
                if (item.outcome.kind != PageOutcome::Kind::kNoMarkup) {
                    client_.OnPage(item.path, item.outcome, item.why);
                }
                break;
        }
    }

    const CleanCode& code_;
    CleanClient& client_;
    const CleanSettings& settings_;
    const os::Directory& root_;
    DirectoryRuns runs_;  // of the pages given to clean
    OrderedPool<Cleaner, CleanItem> pool_;
};

}  // namespace

CleanResult PageOutcome::Result() const {
    switch (kind) {
        case Kind::kCleaned:
            return CleanSucceeded;
        case Kind::kFailed:
            // The interface has always passed over pages it cannot open for
            // writing (and paths it cannot form) in silence.
            return why == Why::kCannotWrite || why == Why::kPathTooLong ? CleanNoMatch
                                                                        : CleanFailed;
        default:
            return CleanNoMatch;
    }
}

CleanCode BuildCleanCode(std::u16string_view text, std::string_view code_set) {
    CleanCode code;
    code.set = true;
    code.ansi.pattern = os::Utf16ToAnsi(text, code_set).substr(0, kMaxAnsiPatternBytes);
    code.ansi.blanks.assign(code.ansi.pattern.size(), ' ');

    // Back through the code page, so that characters it cannot hold stand as
    // its replacement character in the other forms too.
    std::u16string units;
    if (!os::AnsiToUtf16(code.ansi.pattern, units, code_set)) units.assign(text);
    code.utf16.pattern.assign(reinterpret_cast<const char*>(units.data()), units.size() * 2);
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i + 1 < code.utf16.pattern.size(); i += 2) {
            std::swap(code.utf16.pattern[i], code.utf16.pattern[i + 1]);
        }
    }
    for (std::size_t i = 0; i < units.size(); ++i) code.utf16.blanks.append({' ', '\0'});

    code.utf8.pattern = os::Utf16ToUtf8(units);
    code.utf8.blanks.assign(code.utf8.pattern.size(), ' ');
    return code;
}

int CleanTree(const std::u16string& root, const CleanCode& code, CleanClient& client,
              const CleanSettings& settings) {
    os::Directory tree;
    tree.OpenRoot(root);
    CleanVisitor visitor(code, client, settings, tree);
    const int files = WalkTree(root, visitor);
    visitor.Finish();
    return files;
}

PageOutcome CleanFile(const CleanCode& code, std::u16string_view path,
                      const CleanSettings& settings) {
    struct Quiet : CleanClient {
        void OnPage(const std::u16string&, const PageOutcome&, const std::string&) override {}
    } client;
    if (!code.set || code.utf8.pattern.empty()) return {};
    const std::size_t slash = path.find_last_of(os::kPathSeparator);
    const std::u16string folder(slash == std::u16string_view::npos ? u"." : path.substr(0, slash));
    const std::u16string_view name =
        slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    os::Directory directory;
    if (!directory.OpenRoot(folder)) return {PageOutcome::Kind::kUnreadable};
    std::vector<std::uint8_t> chunk;
    std::string why;
    return CleanOpenPage(code, directory, directory, name, std::u16string(path), client, settings,
                         chunk, why);
}

}  // namespace qx
