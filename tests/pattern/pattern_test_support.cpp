#include "pattern_test_support.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace qx::pattern::testing {

Groups Search(std::u16string_view pattern, std::u16string_view text, int flags) {
    CPatternT<char16_t> compiled(pattern.data(), static_cast<int>(pattern.size()), flags);
    const CMatchResult result = compiled.Search(text.data(), text.size());
    Groups groups;
    if (!result.IsMatched()) return groups;
    for (int group = 0; group <= result.MaxGroupNumber(); ++group)
        groups.emplace_back(result.GetGroupStart(group), result.GetGroupEnd(group));
    return groups;
}

std::string Printable(std::u16string_view text) {
    std::string printable;
    for (char16_t unit : text) {
        if (unit >= 0x20 && unit < 0x7f) {
            printable.push_back(static_cast<char>(unit));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
            printable += escaped;
        }
    }
    return printable;
}

void ExpectCases(const std::vector<MatchCase>& cases) {
    for (const MatchCase& row : cases) {
        EXPECT_EQ(Search(row.pattern, row.text, row.flags), row.groups)
            << "pattern \"" << Printable(row.pattern) << "\" text \"" << Printable(row.text)
            << "\" flags " << row.flags;
    }
}

MatchOutcome TestByBacktracking(const CPatternT<char16_t>& pattern, std::u16string_view text,
                                std::size_t from) {
    CMatchContext context;
    context.UseBacktracker();
    return pattern.Test(text.data(), text.size(), from, context);
}

#ifdef _WIN32
namespace {
DWORD WINAPI RunWork(LPVOID parameter) {
    (*static_cast<const std::function<void()>*>(parameter))();
    return 0;
}
}  // namespace

void RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work) {
    HANDLE thread =
        CreateThread(nullptr, stackBytes, RunWork, const_cast<std::function<void()>*>(&work),
                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}
#else
namespace {
void* RunWork(void* parameter) {
    (*static_cast<const std::function<void()>*>(parameter))();
    return nullptr;
}
}  // namespace

void RunOnThreadWithStack(std::size_t stackBytes, const std::function<void()>& work) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stackBytes);
    pthread_t thread;
    const int created =
        pthread_create(&thread, &attributes, RunWork, const_cast<std::function<void()>*>(&work));
    pthread_attr_destroy(&attributes);
    ASSERT_EQ(created, 0);
    pthread_join(thread, nullptr);
}
#endif

}  // namespace qx::pattern::testing
