// The YARA rules of a scan, compiled or loaded once at start-up and then
// shared read-only by every thread that matches them.
#pragma once

#include <yara.h>

#include <memory>
#include <string>
#include <vector>

namespace qx::cli {

// The external variables that public rule sets test. They are defined empty
// when rules are compiled, so that such sets compile, and set for each file
// when it is matched.
inline constexpr const char* kYaraExternals[] = {"filename", "filepath", "extension", "filetype"};

class YaraRules {
  public:
    // Each source is a rules file, a folder whose own .yar and .yara files
    // (not its subfolders') are taken in name order, or a file saved by
    // yarac. Every source file compiles into one set, in a namespace named
    // after the file; files saved by yarac cannot join it and stay sets of
    // their own. Throws UsageError with every error, one a line.
    explicit YaraRules(const std::vector<std::string>& sources);
    YaraRules(const YaraRules&) = delete;
    YaraRules& operator=(const YaraRules&) = delete;

    // Every set, each to be matched in turn.
    std::vector<YR_RULES*> Sets() const;

  private:
    // Holds libyara initialised for as long as the rules live.
    struct Library {
        Library();
        ~Library();
    };
    struct Destroy {
        void operator()(YR_RULES* rules) const { yr_rules_destroy(rules); }
    };

    Library library_;  // first in, last out
    std::vector<std::unique_ptr<YR_RULES, Destroy>> sets_;
};

}  // namespace qx::cli
