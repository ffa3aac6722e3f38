// A generated tree of web-site pages for measuring the rule sets: ASP, ASPX,
// PHP and JSP sections of many small sites, mostly ordinary code with a few
// pages that the rules report.
#pragma once

#include <cstdint>
#include <filesystem>

namespace qx::bench {

struct CorpusSize {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::uint64_t findings = 0;  // pages given a reportable construct
};

// Writes the corpus under `root` (emptied first) until it holds at least
// `min_bytes`. The same arguments always give the same tree.
CorpusSize WriteRulesCorpus(const std::filesystem::path& root, std::uint64_t min_bytes);

}  // namespace qx::bench
