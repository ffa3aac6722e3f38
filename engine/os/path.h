// Paths inside the engine are UTF-16. Windows keeps its 259-unit limit; POSIX
// has none, so that no file of a deep tree is skipped. On POSIX
// a path maps to the file system's bytes as UTF-8, with bytes that are not
// UTF-8 carried as the units U+DC80 to U+DCFF so that every name round-trips.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx::os {

#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
inline constexpr std::size_t kMaxPathUnits = 259;
inline constexpr std::uint32_t kPathTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
#else
inline constexpr char16_t kPathSeparator = u'/';
// POSIX has no limit for the engine: files are opened through their
// directories, and paths are only shown.
inline constexpr std::size_t kMaxPathUnits = static_cast<std::size_t>(-1);
inline constexpr std::uint32_t kPathTooLong = ENAMETOOLONG;
#endif

// `path` cut to kMaxPathUnits; false when it had to be cut.
bool FitPath(std::u16string_view path, std::u16string& out);

// "directory<separator>name" cut to kMaxPathUnits; false when it had to be cut.
bool JoinPath(std::u16string_view directory, std::u16string_view name, std::u16string& out);

// A path's last component: what follows its last separator, or the whole.
std::u16string_view FileName(std::u16string_view path);

// The extension of a file's own name: from its last dot to the end, dot
// included; empty when the name has no dot.
std::u16string_view Extension(std::u16string_view name);

// ASCII-only case-insensitive comparison, as extensions are compared.
bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

#ifndef _WIN32
std::string NativePath(std::u16string_view path);
std::u16string PathFromNative(std::string_view bytes);
// The same into a buffer that is kept, for the walk's many names.
void PathFromNative(std::string_view bytes, std::u16string& path);
// A name's bytes in a buffer of the calling thread's, valid until its next call.
const char* NativeName(std::u16string_view name);
#endif

}  // namespace qx::os
