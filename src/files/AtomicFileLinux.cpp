// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/AtomicFile.h"

#include <cerrno>
#include <climits>
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

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a save to `path` means: a symbolic link is followed to what it names, so the link stays a
// link and its target gets the new content.
std::string LinkTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length < 0 || length == sizeof target) return path;
        const std::string named(target, static_cast<size_t>(length));
        path = named.front() == '/' ? named : FolderOf(path) + "/" + named;
    }
    Fail(ELOOP, path);
}

// A name for the temporary file beside `target` that the file system accepts even when the target's
// own name is as long as names may be.
std::vector<char> TemporaryName(const std::string& target) {
    const std::string folder = FolderOf(target);
    const size_t slash = target.rfind('/');
    std::string leaf = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string suffix = ".tmpXXXXXX";
    const long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    const size_t room = (nameMax > 0 ? static_cast<size_t>(nameMax) : NAME_MAX) - suffix.size();
    if (leaf.size() > room) {
        size_t cut = room;
        // Cut between characters, not inside a UTF-8 sequence.
        while (cut > 0 && (static_cast<unsigned char>(leaf[cut]) & 0xC0) == 0x80)
            --cut;
        leaf.resize(cut);
    }
    const std::string name = (slash == std::string::npos ? std::string() : folder + "/") + leaf + suffix;
    std::vector<char> result(name.begin(), name.end());
    result.push_back('\0');
    return result;
}

// Writes all of `bytes` at the start of `fd`, cuts the file there and brings it to the disk; 0 or errno.
int WriteAll(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        data += written;
        left -= static_cast<size_t>(written);
    }
    if (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || fsync(fd) != 0) return errno;
    return 0;
}

// Where no temporary file can be made beside an existing file the user may write (a folder that is
// not the user's), the file itself is written, as an ordinary save would.
void WriteInPlace(const std::string& target, const std::string& bytes, const std::string& path) {
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) Fail(errno, path);
    const int error = WriteAll(fd, bytes);
    if (close(fd) != 0 && error == 0) Fail(errno, path);
    if (error != 0) Fail(error, path);
}

// Gives the new file the old one's owner and group, as far as the writer may (the owner only the
// superuser; the group a member of it); false when the new file keeps the writer's group. Done before
// the mode is set, since a change of owner clears the set-group bit.
bool KeepOwnerAndGroup(int fd, const struct stat& old) {
    return fchown(fd, old.st_uid, old.st_gid) == 0 || fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
}

} // namespace

void WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t newFileMode,
                         bool applyUmask) {
    const std::string target = LinkTarget(path);
    mode_t mode = applyUmask ? newFileMode & ~CurrentUmask() : newFileMode;
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists) {
        // The rename would replace a file the user may not write, as the folder allows it; the
        // file's own permission decides.
        if (S_ISREG(existing.st_mode) && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            Fail(errno, path);
        mode = existing.st_mode & 07777;
    }

    std::vector<char> tempName = TemporaryName(target);
    const int fd = mkstemp(tempName.data());
    if (fd < 0) {
        if (exists && S_ISREG(existing.st_mode) && (errno == EACCES || errno == EPERM)) {
            WriteInPlace(target, bytes, path);
            return;
        }
        Fail(errno, path);
    }

    auto abandon = [&](int error) {
        close(fd);
        unlink(tempName.data());
        Fail(error, path);
    };
    if (exists) static_cast<void>(KeepOwnerAndGroup(fd, existing));
    if (fchmod(fd, mode) != 0) abandon(errno);
    if (const int error = WriteAll(fd, bytes); error != 0) abandon(error);
    if (close(fd) != 0) {
        const int error = errno;
        unlink(tempName.data());
        Fail(error, path);
    }
    if (rename(tempName.data(), target.c_str()) != 0) {
        const int error = errno;
        unlink(tempName.data());
        Fail(error, path);
    }
}
