// Files as the quarantine tests set them up and check them: exact bytes,
// modes, owners and times.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace qx::test {

inline void WriteFile(const std::string& path, const std::string& bytes, mode_t mode = 0644) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        fchmod(fd, mode) != 0 || close(fd) != 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

inline bool Exists(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

inline struct stat StatOf(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) throw std::runtime_error("no file at " + path);
    return status;
}

// Every name in `dir`, hidden ones too.
inline std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

}  // namespace qx::test
