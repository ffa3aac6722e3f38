#include "yara_rules.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "console.h"

namespace qx::cli {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void OutOfMemory() {
    throw UsageError("YARA ran out of memory");
}

bool IsRuleFileName(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".yar" || extension == ".yara";
}

// The files that one --yara source names: itself, or a folder's own rule
// files in name order.
std::vector<std::string> RuleFiles(const std::string& source, std::vector<std::string>& errors) {
    std::error_code error;
    const fs::path path = FsPath(source);
    if (!fs::is_directory(path, error)) {
        if (!error) return {source};
        errors.push_back(source + ": " + error.message());
        return {};
    }
    std::vector<std::string> files;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (IsRuleFileName(it->path()) && it->is_regular_file(ignored)) {
            files.push_back(it->path().string());
        }
    }
    if (error) errors.push_back(source + ": " + error.message());
    if (!error && files.empty())
        errors.push_back(source + ": no .yar or .yara files in the folder");
    std::sort(files.begin(), files.end());
    return files;
}

// Files saved by yarac begin with these four bytes; rule text cannot.
bool IsCompiled(const std::string& file) {
    std::ifstream in(FsPath(file), std::ios::binary);
    char magic[4] = {};
    return in.read(magic, sizeof magic) && std::memcmp(magic, "YARA", sizeof magic) == 0;
}

// One compiler of rule text. After a file with errors libyara's compiler
// takes no more files, so the caller starts a new one to find the errors of
// the files that follow.
class Compiler {
  public:
    explicit Compiler(std::vector<std::string>& errors) : errors_(errors) {
        if (yr_compiler_create(&compiler_) != ERROR_SUCCESS) OutOfMemory();
        yr_compiler_set_callback(compiler_, OnMessage, this);
        for (const char* name : kYaraExternals) {
            if (yr_compiler_define_string_variable(compiler_, name, "") != ERROR_SUCCESS) {
                OutOfMemory();
            }
        }
    }
    ~Compiler() { yr_compiler_destroy(compiler_); }
    Compiler(const Compiler&) = delete;
    Compiler& operator=(const Compiler&) = delete;

    bool Failed() const { return failed_; }

    void Add(const std::string& file, const std::string& name_space) {
        std::FILE* text = std::fopen(file.c_str(), "rb");
        if (text == nullptr) {
            errors_.push_back(file + ": " + std::strerror(errno));
            return;
        }
        failed_ = yr_compiler_add_file(compiler_, text, name_space.c_str(), file.c_str()) > 0;
        std::fclose(text);
    }

    YR_RULES* Rules() {
        YR_RULES* rules = nullptr;
        if (yr_compiler_get_rules(compiler_, &rules) != ERROR_SUCCESS) OutOfMemory();
        return rules;
    }

  private:
    // Errors are kept with their file and line; warnings (slow strings and
    // the like, common in public sets) are not worth a line each night.
    static void OnMessage(int level, const char* file, int line, const YR_RULE*,
                          const char* message, void* self) {
        if (level != YARA_ERROR_LEVEL_ERROR) return;
        static_cast<Compiler*>(self)->errors_.push_back(std::string(file ? file : "?") + ":" +
                                                        std::to_string(line) + ": " + message);
    }

    YR_COMPILER* compiler_ = nullptr;
    std::vector<std::string>& errors_;
    bool failed_ = false;
};

YR_RULES* LoadCompiled(const std::string& file, std::vector<std::string>& errors) {
    YR_RULES* rules = nullptr;
    switch (yr_rules_load(file.c_str(), &rules)) {
        case ERROR_SUCCESS:
            return rules;
        case ERROR_UNSUPPORTED_FILE_VERSION:
            errors.push_back(file + ": saved by another version of YARA; compile the rules again");
            break;
        case ERROR_COULD_NOT_OPEN_FILE:
            errors.push_back(file + ": cannot read the compiled rules");
            break;
        case ERROR_INSUFFICIENT_MEMORY:
            OutOfMemory();
        default:
            errors.push_back(file + ": not valid compiled YARA rules");
            break;
    }
    return nullptr;
}

// The namespace of a rule file: its name without the extension, unless an
// earlier file took that; then its whole path.
std::string NamespaceOf(const std::string& file, std::set<std::string>& taken) {
    std::string name = FsPath(file).stem().string();
    if (!taken.insert(name).second) name = file;
    taken.insert(name);
    return name;
}

std::string Lines(const std::vector<std::string>& errors) {
    std::string text;
    for (const std::string& error : errors) text += (text.empty() ? "" : "\nquellix: ") + error;
    return text;
}

}  // namespace

YaraRules::Library::Library() {
    if (yr_initialize() != ERROR_SUCCESS) throw UsageError("YARA could not start");
}

YaraRules::Library::~Library() {
    yr_finalize();
}

YaraRules::YaraRules(const std::vector<std::string>& sources) {
    std::vector<std::string> errors;
    std::unique_ptr<Compiler> compiler;
    std::set<std::string> namespaces, seen;
    bool any_text = false;
    for (const std::string& source : sources) {
        for (const std::string& file : RuleFiles(source, errors)) {
            if (!seen.insert(file).second) continue;  // named twice: its rules count once
            if (IsCompiled(file)) {
                if (YR_RULES* rules = LoadCompiled(file, errors)) sets_.emplace_back(rules);
                continue;
            }
            if (!compiler || compiler->Failed()) compiler = std::make_unique<Compiler>(errors);
            compiler->Add(file, NamespaceOf(file, namespaces));
            any_text = true;
        }
    }
    if (!errors.empty()) throw UsageError(Lines(errors));
    // The source files' set goes first, before the compiled ones.
    if (any_text) sets_.emplace(sets_.begin(), compiler->Rules());
}

std::vector<YR_RULES*> YaraRules::Sets() const {
    std::vector<YR_RULES*> sets;
    for (const auto& set : sets_) sets.push_back(set.get());
    return sets;
}

}  // namespace qx::cli
