#include "yara_match.h"

#include <optional>
#include <set>
#include <string_view>

#include "console.h"
#include "frontend/shown_texts.h"

namespace qx::cli {
namespace {

constexpr int kDangerousScore = 40, kTrojanScore = 75;

// A set's own spelling of a level name, in any case.
std::optional<ScanVerdict> LevelNamed(std::string level) {
    for (char& c : level) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const int verdict = frontend::VerdictOfLevel(level);
    if (verdict == 0) return std::nullopt;
    return static_cast<ScanVerdict>(verdict);
}

// Some sets write the score as a string of digits.
std::optional<long long> ScoreOf(const YR_META& meta) {
    if (meta.type == META_TYPE_INTEGER) return meta.integer;
    if (meta.type != META_TYPE_STRING) return std::nullopt;
    const std::string_view digits = meta.string;
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    long long score = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        score = score * 10 + (c - '0');
    }
    return score;
}

std::string Quoted(const char* text) {
    return JsonString(FromUtf8(text));
}

}  // namespace

ScanVerdict YaraLevel(const YR_RULE& rule) {
    std::optional<long long> score;
    const YR_RULE* const matched = &rule;  // the library's loops want a pointer
    const YR_META* meta;
    yr_rule_metas_foreach(matched, meta) {
        const std::string_view name = meta->identifier;
        if (name == "level" && meta->type == META_TYPE_STRING) {
            if (const std::optional<ScanVerdict> level = LevelNamed(meta->string)) return *level;
        } else if (name == "score" && !score) {
            score = ScoreOf(*meta);
        }
    }
    if (!score) return VerdictDangerous;
    if (*score >= kTrojanScore) return VerdictTrojan;
    return *score >= kDangerousScore ? VerdictDangerous : VerdictSuspicious;
}

std::string YaraMatchJson(const YR_RULE& rule) {
    std::string json = "{\"rule\":" + Quoted(rule.identifier) +
                       ",\"namespace\":" + Quoted(rule.ns->name) + ",\"tags\":[";
    const YR_RULE* const matched = &rule;  // the library's loops want a pointer
    const char* tag;
    bool first = true;
    yr_rule_tags_foreach(matched, tag) {
        json += (first ? "" : ",") + Quoted(tag);
        first = false;
    }
    json += "],\"meta\":{";
    std::set<std::string_view> named;
    const YR_META* meta;
    yr_rule_metas_foreach(matched, meta) {
        if (!named.insert(meta->identifier).second) continue;
        json += (named.size() == 1 ? "" : ",") + Quoted(meta->identifier) + ":";
        switch (meta->type) {
            case META_TYPE_INTEGER:
                json += std::to_string(meta->integer);
                break;
            case META_TYPE_BOOLEAN:
                json += meta->integer ? "true" : "false";
                break;
            default:
                json += Quoted(meta->string);
                break;
        }
    }
    return json + "}}";
}

}  // namespace qx::cli
