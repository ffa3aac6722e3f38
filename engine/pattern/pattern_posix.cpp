#include "pattern_posix.h"

#include <cstring>

namespace qx::pattern {
namespace {

bool IsUpper(int c) {
    return c >= 'A' && c <= 'Z';
}
bool IsLower(int c) {
    return c >= 'a' && c <= 'z';
}
bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}
bool IsAlpha(int c) {
    return IsUpper(c) || IsLower(c);
}
bool IsAlnum(int c) {
    return IsAlpha(c) || IsDigit(c);
}
bool IsAscii(int c) {
    return c >= 0 && c <= 127;
}
bool IsCntrl(int c) {
    return (c >= 0 && c <= 31) || c == 127;
}
bool IsGraph(int c) {
    return c >= 33 && c <= 126;
}
bool IsPrint(int c) {
    return c >= 32 && c <= 126;
}
bool IsPunct(int c) {
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 126);
}
bool IsSpace(int c) {
    return (c >= 9 && c <= 13) || c == 32;
}
bool IsXdigit(int c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsBlank(int c) {
    return c == 32 || c == 9;
}

struct PosixClass {
    const char* name;
    PosixClassFunction function;
};

constexpr PosixClass kClasses[] = {
    {"alnum:", IsAlnum}, {"alpha:", IsAlpha}, {"ascii:", IsAscii}, {"cntrl:", IsCntrl},
    {"digit:", IsDigit}, {"graph:", IsGraph}, {"lower:", IsLower}, {"print:", IsPrint},
    {"punct:", IsPunct}, {"space:", IsSpace}, {"upper:", IsUpper}, {"xdigit:", IsXdigit},
    {"blank:", IsBlank},
};

}  // namespace

PosixClassFunction FindPosixClass(const char* name) {
    for (const PosixClass& entry : kClasses)
        if (std::strncmp(name, entry.name, std::strlen(entry.name)) == 0) return entry.function;
    return nullptr;
}

}  // namespace qx::pattern
