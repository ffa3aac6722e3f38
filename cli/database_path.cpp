#include "database_path.h"

#include "os/file.h"
#include "os/path.h"
#include "os/process.h"

namespace qx::cli {
namespace {

bool IsReadableFile(const std::u16string& path) {
    os::File file;
    return file.Open(path, os::File::Mode::kSharedRead);
}

}  // namespace

std::u16string DefaultDatabasePath() {
    const std::u16string folder = os::ExecutableFolder();
    const std::u16string beside = folder + u"QQWry.dat";
    if (folder.empty() || IsReadableFile(beside)) return beside;
    constexpr char16_t sep = os::kPathSeparator;
    const std::u16string installed =
        folder + u".." + sep + u"share" + sep + u"quellix" + sep + u"QQWry.dat";
    return IsReadableFile(installed) ? installed : beside;
}

}  // namespace qx::cli
