#include "files/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

[[noreturn]] void Fail(int error, const std::string& path) {
    throw std::system_error(error, std::generic_category(), path);
}

} // namespace

void WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t newFileMode,
                         bool applyUmask) {
    mode_t mode = applyUmask ? newFileMode & ~CurrentUmask() : newFileMode;
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0)
        mode = existing.st_mode & 07777;

    std::vector<char> tempName(path.begin(), path.end());
    const std::string suffix = ".tmpXXXXXX";
    tempName.insert(tempName.end(), suffix.begin(), suffix.end());
    tempName.push_back('\0');
    const int fd = mkstemp(tempName.data());
    if (fd < 0)
        Fail(errno, path);

    auto abandon = [&](int error) {
        close(fd);
        unlink(tempName.data());
        Fail(error, path);
    };
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            abandon(errno);
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    if (fchmod(fd, mode) != 0 || fsync(fd) != 0)
        abandon(errno);
    if (close(fd) != 0) {
        const int error = errno;
        unlink(tempName.data());
        Fail(error, path);
    }
    if (rename(tempName.data(), path.c_str()) != 0) {
        const int error = errno;
        unlink(tempName.data());
        Fail(error, path);
    }
}
