// The YARA examiner of one rating thread: scanners of its own over the
// shared rules, fed the bytes the engine read, so a file is read once for
// both the built-in rules and the YARA ones.
#include <algorithm>
#include <new>

#include "console.h"
#include "os/path.h"
#include "yara_match.h"
#include "yara_rules.h"
#include "yara_support.h"

namespace qx::cli {
namespace {

// ".php" for "index.PHP", as rules compare it.
std::string LowerExtension(std::u16string_view name) {
    std::string extension = ToUtf8(os::Extension(name));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

class YaraExaminer final : public FileExaminer {
  public:
    YaraExaminer(std::shared_ptr<const YaraRules> rules, int timeout_seconds)
        : rules_(std::move(rules)), timeout_seconds_(timeout_seconds) {
        for (YR_RULES* set : rules_->Sets()) {
            YR_SCANNER* scanner = nullptr;
            if (const int error = yr_scanner_create(set, &scanner); error != ERROR_SUCCESS) {
                unavailable_ = ErrorText(error);
                return;
            }
            scanners_.push_back(scanner);
            yr_scanner_set_callback(scanner, OnMessage, this);
            yr_scanner_set_timeout(scanner, timeout_seconds_);
            // The bytes are plain memory, not a mapped file that could fault
            // under the scan: no need for libyara's signal handlers.
            yr_scanner_set_flags(scanner,
                                 SCAN_FLAGS_REPORT_RULES_MATCHING | SCAN_FLAGS_NO_TRYCATCH);
        }
    }
    ~YaraExaminer() override {
        for (YR_SCANNER* scanner : scanners_) yr_scanner_destroy(scanner);
    }
    YaraExaminer(const YaraExaminer&) = delete;
    YaraExaminer& operator=(const YaraExaminer&) = delete;

    Examination Examine(const std::u16string& path, std::string_view bytes) override {
        Examination result;
        if (!unavailable_.empty()) {
            result.problem = unavailable_;
            return result;
        }
        matched_.clear();
        const std::u16string_view name = os::FileName(path);
        const std::string externals[] = {ToUtf8(name), ToUtf8(path), LowerExtension(name), ""};
        static const std::uint8_t kNoBytes = 0;
        const auto* data =
            bytes.empty() ? &kNoBytes : reinterpret_cast<const std::uint8_t*>(bytes.data());
        for (YR_SCANNER* scanner : scanners_) {
            for (std::size_t i = 0; i < std::size(kYaraExternals); ++i) {
                // Rules saved by yarac without these variables refuse them:
                // nothing of theirs can read them anyway.
                yr_scanner_define_string_variable(scanner, kYaraExternals[i], externals[i].c_str());
            }
            const int error = yr_scanner_scan_mem(scanner, data, bytes.size());
            if (error != ERROR_SUCCESS && result.problem.empty()) result.problem = ErrorText(error);
        }
        // What matched before a scan failed still counts; the problem leaves
        // the file unchecked all the same.
        Describe(result);
        return result;
    }

  private:
    static int OnMessage(YR_SCAN_CONTEXT*, int message, void* data, void* self) {
        if (message != CALLBACK_MSG_RULE_MATCHING) return CALLBACK_CONTINUE;
        try {
            static_cast<YaraExaminer*>(self)->matched_.push_back(static_cast<YR_RULE*>(data));
        } catch (const std::bad_alloc&) {
            return CALLBACK_ERROR;
        }
        return CALLBACK_CONTINUE;
    }

    std::string ErrorText(int error) const {
        switch (error) {
            case ERROR_SCAN_TIMEOUT:
                return "YARA timed out after " + std::to_string(timeout_seconds_) + " s";
            case ERROR_INSUFFICIENT_MEMORY:
                return "YARA ran out of memory";
            case ERROR_TOO_MANY_SCAN_THREADS:
                return "too many threads match the YARA rules at once (try -j 32)";
            case ERROR_CALLBACK_ERROR:
                return "out of memory for the YARA matches";
            default:
                return "YARA failed (error " + std::to_string(error) + ")";
        }
    }

    void Describe(Examination& result) const {
        if (matched_.empty()) return;
        std::string names = "YARA: ", json = "\"yara\":[";
        std::vector<std::string_view> named;
        for (const YR_RULE* rule : matched_) {
            result.verdict = std::max(result.verdict, YaraLevel(*rule));
            if (std::find(named.begin(), named.end(), rule->identifier) == named.end()) {
                names += (named.empty() ? "" : ", ") + std::string(rule->identifier);
                named.push_back(rule->identifier);
            }
            json += (json.back() == '[' ? "" : ",") + YaraMatchJson(*rule);
        }
        result.names = FromUtf8(names);
        result.json = json + "]";
    }

    std::shared_ptr<const YaraRules> rules_;  // outlives the scanners
    int timeout_seconds_;
    std::vector<YR_SCANNER*> scanners_;  // one per set of rules
    std::string unavailable_;            // why the scanners could not be made
    std::vector<const YR_RULE*> matched_;
};

}  // namespace

bool YaraSupported() {
    return true;
}

ExaminerFactory LoadYaraExaminers(const std::vector<std::string>& sources, int timeout_seconds) {
    auto rules = std::make_shared<const YaraRules>(sources);
    return
        [rules, timeout_seconds] { return std::make_unique<YaraExaminer>(rules, timeout_seconds); };
}

}  // namespace qx::cli
