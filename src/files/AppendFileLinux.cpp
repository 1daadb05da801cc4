// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/AppendFile.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

AppendFile::AppendFile(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), path);
    handle_ = fd;
}

AppendFile::~AppendFile() {
    close(int(handle_));
}

void AppendFile::Append(const std::string& bytes) {
    const int fd = int(handle_);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) throw std::system_error(errno, std::generic_category(), "write");
        written += size_t(count);
    }
    if (fdatasync(fd) != 0) throw std::system_error(errno, std::generic_category(), "fdatasync");
}
