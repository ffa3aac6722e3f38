// The tree watcher on ReadDirectoryChangesW: one handle over each whole tree,
// read asynchronously, so that one thread waits on every tree at once. A
// read is always outstanding; the system keeps the changes that come in
// between two reads until its buffer is full, and then says they were lost.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "console.h"
#include "os/dir_reader.h"
#include "tree_watcher.h"

namespace qx::cli {
namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
// 64 KiB: the most a read over the network takes.
constexpr std::size_t kBufferWords = 16 * 1024;

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

struct Tree {
    std::size_t index = 0;
    std::u16string root;
    HANDLE directory = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped{};
    std::vector<DWORD> buffer = std::vector<DWORD>(kBufferWords);  // DWORD-aligned records
    bool reading = false;

    ~Tree() {
        if (reading) {
            CancelIoEx(directory, &overlapped);
            DWORD ignored = 0;
            GetOverlappedResult(directory, &overlapped, &ignored, TRUE);  // the buffer is free
        }
        if (directory != INVALID_HANDLE_VALUE) CloseHandle(directory);
        if (event) CloseHandle(event);
    }

    bool Read() {
        reading = ReadDirectoryChangesW(directory, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * sizeof(DWORD)), TRUE,
                                        kChanges, nullptr, &overlapped, nullptr);
        return reading;
    }
};

class DirectoryChangesWatcher final : public TreeWatcher {
  public:
    explicit DirectoryChangesWatcher(DirectoryFilter filter) : filter_(std::move(filter)) {}

    std::string Watch(const std::u16string& root) override {
        if (trees_.size() == MAXIMUM_WAIT_OBJECTS) {
            return "no more than " + std::to_string(MAXIMUM_WAIT_OBJECTS) + " trees at once";
        }
        auto tree = std::make_unique<Tree>();
        tree->index = trees_.size();
        tree->root = root;
        tree->directory = CreateFileW(
            Wide(root), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        if (tree->directory == INVALID_HANDLE_VALUE) return os::ErrorText(GetLastError());
        tree->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        tree->overlapped.hEvent = tree->event;
        if (!tree->event || !tree->Read()) return os::ErrorText(GetLastError());
        trees_.push_back(std::move(tree));
        return {};
    }

    std::vector<TreeChange> Wait(std::chrono::milliseconds timeout) override {
        std::vector<HANDLE> events;
        for (const auto& tree : trees_) {
            if (tree->reading) events.push_back(tree->event);
        }
        const DWORD wait = static_cast<DWORD>(timeout.count());
        if (events.empty()) {
            Sleep(wait);
        } else if (WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE,
                                          wait) < WAIT_OBJECT_0 + events.size()) {
            for (const auto& tree : trees_) {
                if (tree->reading && WaitForSingleObject(tree->event, 0) == WAIT_OBJECT_0) {
                    Collect(*tree);
                }
            }
        }
        return std::exchange(changes_, {});
    }

  private:
    void Tell(TreeChange::Kind kind, std::size_t root, std::u16string path, std::string what = {}) {
        changes_.push_back({kind, root, std::move(path), std::move(what)});
    }

    void Collect(Tree& tree) {
        DWORD size = 0;
        const bool done = GetOverlappedResult(tree.directory, &tree.overlapped, &size, FALSE);
        const DWORD error = done ? 0 : GetLastError();
        tree.reading = false;
        if (!done && error != ERROR_NOTIFY_ENUM_DIR) {
            return Tell(TreeChange::Kind::kProblem, tree.index, tree.root,
                        "no longer watched: " + os::ErrorText(error));
        }
        // The next read goes out before this one's records are looked at.
        const std::vector<DWORD> records(tree.buffer.begin(),
                                         tree.buffer.begin() + (size + 3) / sizeof(DWORD));
        if (!tree.Read()) {
            Tell(TreeChange::Kind::kProblem, tree.index, tree.root,
                 "no longer watched: " + os::ErrorText(GetLastError()));
        }
        if (size == 0) {
            return Tell(TreeChange::Kind::kLost, tree.index, {},
                        "changes were lost: the system's buffer of changes under " +
                            Escaped(tree.root) + " overflowed");
        }
        const auto* bytes = reinterpret_cast<const BYTE*>(records.data());
        for (DWORD at = 0;;) {
            const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(bytes + at);
            const std::u16string name(reinterpret_cast<const char16_t*>(record->FileName),
                                      record->FileNameLength / sizeof(WCHAR));
            if (record->Action == FILE_ACTION_ADDED || record->Action == FILE_ACTION_MODIFIED ||
                record->Action == FILE_ACTION_RENAMED_NEW_NAME) {
                Changed(tree, name, record->Action != FILE_ACTION_MODIFIED);
            }
            if (record->NextEntryOffset == 0) break;
            at += record->NextEntryOffset;
        }
    }

    // `relative` (below the tree's root) was created, moved in (`arrived`)
    // or written to.
    void Changed(const Tree& tree, const std::u16string& relative, bool arrived) {
        // The whole tree is watched: changes below a directory the filter
        // keeps out are dropped here.
        std::size_t from = 0;  // where the last name starts
        for (std::size_t slash = relative.find(u'\\'); slash != std::u16string::npos;
             from = slash + 1, slash = relative.find(u'\\', from)) {
            if (!filter_(tree.index, tree.root + u'\\' + relative.substr(0, slash),
                         std::u16string_view(relative).substr(from, slash - from))) {
                return;
            }
        }
        const std::u16string path = tree.root + u'\\' + relative;
        const DWORD attributes = GetFileAttributesW(Wide(path));
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return Tell(TreeChange::Kind::kFile, tree.index, path);
        }
        // A directory that arrived brings its files along; a junction is
        // never followed.
        if (arrived && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            filter_(tree.index, path, std::u16string_view(relative).substr(from))) {
            TellFilesBelow(tree.index, path);
        }
    }

    void TellFilesBelow(std::size_t root, const std::u16string& top) {
        std::vector<std::u16string> pending{top};
        while (!pending.empty()) {
            os::Directory directory;
            directory.OpenRoot(pending.back());
            pending.pop_back();
            os::DirReader reader;
            if (!reader.Open(directory)) {
                Tell(TreeChange::Kind::kProblem, root, directory.Path(),
                     "cannot list the directory: " + os::ErrorText(reader.LastError()));
                continue;
            }
            os::DirEntry entry;
            while (reader.Next(entry)) {
                if (entry.name == u"." || entry.name == u"..") continue;
                const std::u16string path = directory.Path() + u'\\' + entry.name;
                if (entry.kind == os::EntryKind::kFile) {
                    Tell(TreeChange::Kind::kFile, root, path);
                } else if (entry.kind == os::EntryKind::kDirectory &&
                           filter_(root, path, entry.name)) {
                    pending.push_back(path);
                }
            }
        }
    }

    const DirectoryFilter filter_;
    std::vector<std::unique_ptr<Tree>> trees_;  // OVERLAPPED must not move
    std::vector<TreeChange> changes_;
};

}  // namespace

std::unique_ptr<TreeWatcher> TreeWatcher::Create(DirectoryFilter filter) {
    return std::make_unique<DirectoryChangesWatcher>(std::move(filter));
}

}  // namespace qx::cli
