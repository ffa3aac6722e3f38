#include <unistd.h>

#include <string>

#include "os/path.h"
#include "os/process.h"

namespace qx::os {
namespace {

bool ReadLink(const std::string& link, std::u16string& target) {
    char bytes[4096];
    const ssize_t length = readlink(link.c_str(), bytes, sizeof bytes);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof bytes) return false;
    target = PathFromNative({bytes, static_cast<std::size_t>(length)});
    return true;
}

}  // namespace

std::u16string ExecutableFolder() {
    std::u16string self;
    if (!ReadLink("/proc/self/exe", self)) return {};
    self.erase(self.rfind(kPathSeparator) + 1);
    return self;
}

bool ProcessImagePath(std::uint32_t process_id, std::u16string& path) {
    return process_id != 0 && ReadLink("/proc/" + std::to_string(process_id) + "/exe", path);
}

}  // namespace qx::os
