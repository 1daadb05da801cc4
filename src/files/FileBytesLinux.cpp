// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileBytes.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int NotRegularError(const struct stat& info) {
    return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
}

} // namespace

int ReadFileBytes(const std::string& path, qsizetype maxLines, std::string& bytes) {
    // Looked at before opening: opening a serial device alone would already switch its lines.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return NotRegularError(info);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno;
    int error = 0;
    // Looked at again: the name may have been given to something else in between.
    if (fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = NotRegularError(info);
    qsizetype lineEnds = 0;
    char buffer[65536];
    while (error == 0 && lineEnds < maxLines && bytes.size() < MaxTextFileBytes) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) error = errno;
        if (count <= 0) break;
        lineEnds += std::count(buffer, buffer + count, '\n');
        bytes.append(buffer, static_cast<size_t>(count));
    }
    close(fd);
    return error;
}
