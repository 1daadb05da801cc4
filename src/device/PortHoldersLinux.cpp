// SPDX-License-Identifier: GPL-3.0-or-later
// Earlier users of a serial device on Linux: descriptors of other processes under /proc, and the
// lock files that terminal programs (minicom, picocom, cu) make in /var/lock.
#include "device/PortHolders.h"
#include "device/SerialPlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

std::string lockFolder = "/var/lock";

// Pseudo-terminal slaves have the majors 136 to 143; their number is what the master reports.
constexpr unsigned FirstPtySlaveMajor = 136, PtySlaveMajors = 8;
const dev_t PtyMultiplexer = makedev(5, 2); // /dev/ptmx and every devpts instance's ptmx

int PseudoTerminalNumber(dev_t device) {
    const unsigned deviceMajor = major(device);
    if (deviceMajor < FirstPtySlaveMajor || deviceMajor >= FirstPtySlaveMajor + PtySlaveMajors) return -1;
    return static_cast<int>((deviceMajor - FirstPtySlaveMajor) * 256 + minor(device));
}

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using Directory = std::unique_ptr<DIR, DirectoryCloser>;

// Entries of a /proc folder that are numbers (process ids, descriptor numbers).
template <class Visit> void ForEachNumber(const std::string& folder, Visit visit) {
    const Directory directory(opendir(folder.c_str()));
    if (!directory) return;
    while (const dirent* entry = readdir(directory.get())) {
        char* end;
        const long number = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0') visit(number);
    }
}

std::string Text(const std::string& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char chunk[512];
    ssize_t count;
    while ((count = ::read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(count));
    ::close(fd);
    return text;
}

// The pseudo-terminal number a master descriptor serves, from its fdinfo; -1 when not shown.
int MasterNumber(const std::string& fdinfo) {
    const std::string text = Text(fdinfo);
    const size_t at = text.find("tty-index:");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + std::strlen("tty-index:"));
}

bool HoldsDevice(long pid, const struct stat& device, int ptyNumber) {
    const std::string folder = "/proc/" + std::to_string(pid);
    bool holds = false, otherEnd = false;
    ForEachNumber(folder + "/fd", [&](long fd) {
        const std::string link = folder + "/fd/" + std::to_string(fd);
        char target[64];
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        // Only device files: a stat through a socket or a network file would cost time or hang.
        if (length <= 0 || std::strncmp(target, "/dev/", 5) != 0) return;
        struct stat file;
        if (stat(link.c_str(), &file) != 0 || !S_ISCHR(file.st_mode)) return;
        if (file.st_rdev == device.st_rdev && (ptyNumber < 0 || file.st_dev == device.st_dev))
            holds = true;
        else if (ptyNumber >= 0 && file.st_rdev == PtyMultiplexer &&
                 MasterNumber(folder + "/fdinfo/" + std::to_string(fd)) == ptyNumber)
            otherEnd = true;
    });
    return holds && !otherEnd;
}

// "LCK.." and the device's name below /dev, with further slashes made underscores (pts/3 → pts_3).
std::string LockName(const std::string& devicePath) {
    char* resolved = realpath(devicePath.c_str(), nullptr);
    std::string name = resolved ? resolved : devicePath;
    std::free(resolved);
    if (name.compare(0, 5, "/dev/") == 0) name.erase(0, 5);
    for (char& c : name)
        if (c == '/') c = '_';
    return "LCK.." + name;
}

// The process id a lock file names; 0 when there is no file or it names nobody.
pid_t LockOwner(const std::string& path) {
    return static_cast<pid_t>(std::atol(Text(path).c_str()));
}

bool Alive(pid_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

bool OwnedByAnother(const std::string& lock) {
    const pid_t owner = LockOwner(lock);
    return owner > 0 && owner != getpid() && Alive(owner);
}

} // namespace

const std::string& SerialLockFolder() {
    return lockFolder;
}

void SetSerialLockFolder(const std::string& folder) {
    lockFolder = folder;
}

bool HeldByAnotherProcess(int fd) {
    struct stat device;
    if (fstat(fd, &device) != 0 || !S_ISCHR(device.st_mode)) return false;
    const int ptyNumber = PseudoTerminalNumber(device.st_rdev);
    const long self = getpid();
    bool held = false;
    ForEachNumber("/proc", [&](long pid) {
        if (!held && pid != self) held = HoldsDevice(pid, device, ptyNumber);
    });
    return held;
}

int DeviceLockFile::Acquire(const std::string& devicePath) {
    Release();
    const std::string lock = lockFolder + "/" + LockName(devicePath);
    const std::string temporary = lockFolder + "/LTMP." + std::to_string(getpid());
    // Two rounds: a rival may make its file between our removal of a stale one and our link.
    for (int round = 0; round < 2; ++round) {
        if (OwnedByAnother(lock)) return EBUSY;
        unlink(lock.c_str());
        // The file is written whole under a temporary name and linked into place, so a reader never
        // sees it half written and two openers can't both succeed.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return 0; // a folder we may not write: honoured, but no lock of our own
        char content[16];
        const int length = std::snprintf(content, sizeof content, "%10ld\n", static_cast<long>(getpid()));
        const bool written = ::write(fd, content, static_cast<size_t>(length)) == length;
        ::close(fd);
        const bool linked = written && link(temporary.c_str(), lock.c_str()) == 0;
        const int error = errno;
        unlink(temporary.c_str());
        if (linked) {
            path_ = lock;
            return 0;
        }
        if (!written || error != EEXIST) return 0;
    }
    // A dead owner's file we may not remove (another user's, in the sticky folder) holds nobody back.
    return OwnedByAnother(lock) ? EBUSY : 0;
}

void DeviceLockFile::Release() {
    if (path_.empty()) return;
    if (LockOwner(path_) == getpid()) unlink(path_.c_str());
    path_.clear();
}
