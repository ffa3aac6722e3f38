// `quellix regex`: runs the engine's own pattern matcher once, so that rule
// authors and outside test suites can see exactly what a pattern matches.
// Positions are UTF-16 units of the text, as the rules see them.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "console.h"
#include "pattern.h"

namespace qx::cli {
namespace {

struct RegexOptions {
    bool noCase = false;
    bool multiLine = false;
    bool dotAll = false;
    bool freeSpacing = false;
    bool rightToLeft = false;
    std::string pattern;
    std::string text;
    std::string textFile;
};

int RunRegex(const RegexOptions& options, bool hasText) {
    if (hasText == !options.textFile.empty())
        throw UsageError("give either TEXT or --text-file FILE");
    std::u16string text;
    if (hasText) {
        text = FromUtf8(options.text);
    } else {
        std::string bytes = ReadFileBytes(options.textFile, "the text file");
        if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);  // a UTF-8 mark
        text = FromUtf8(bytes);
    }
    int flags = 0;
    if (options.noCase) flags |= pattern::PF_NO_CASE;
    if (options.multiLine) flags |= pattern::PF_MULTI_LINE;
    if (options.dotAll) flags |= pattern::PF_DOT_ALL;
    if (options.freeSpacing) flags |= pattern::PF_FREE_SPACING;
    if (options.rightToLeft) flags |= pattern::PF_RIGHT_TO_LEFT;

    const std::u16string source = FromUtf8(options.pattern);
    pattern::CPatternT<char16_t> compiled(source.data(), static_cast<int>(source.size()), flags);
    const pattern::CMatchResult result = compiled.Search(text.data(), text.size());

    std::string json =
        result.IsMatched() ? "{\"matched\":true,\"groups\":[" : "{\"matched\":false,\"groups\":[";
    if (result.IsMatched()) {
        for (int group = 0; group <= result.MaxGroupNumber(); ++group) {
            if (group > 0) json += ',';
            json += '[' + std::to_string(result.GetGroupStart(group)) + ',' +
                    std::to_string(result.GetGroupEnd(group)) + ']';
        }
    }
    json += "]}";
    std::printf("%s\n", json.c_str());
    return result.IsMatched() ? 0 : 1;
}

}  // namespace

void AddRegexCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<RegexOptions>();
    CLI::App* regex = app.add_subcommand(
        "regex",
        "Run the engine's pattern matcher once and print the match as JSON: group start and "
        "end positions in UTF-16 units, -1 for a group that took no part. Exit 0 when the "
        "pattern matched, 1 when not.");
    regex->add_flag("-i", options->noCase, "ignore the case of ASCII letters");
    regex->add_flag("-m", options->multiLine, "^ and $ match at line breaks");
    regex->add_flag("-s", options->dotAll, ". matches a line feed too");
    regex->add_flag("-x", options->freeSpacing, "skip white space and # comments in the pattern");
    regex->add_flag("-r", options->rightToLeft, "search from the end, leftwards");
    regex->add_option("PATTERN", options->pattern, "the pattern (UTF-8)")->required();
    CLI::Option* text = regex->add_option("TEXT", options->text, "the text to search (UTF-8)");
    regex->add_option("--text-file", options->textFile,
                      "search this file's content instead (UTF-8; a leading byte-order mark is "
                      "dropped)");
    regex->callback([options, text, &status] { status = RunRegex(*options, text->count() > 0); });
}

}  // namespace qx::cli
