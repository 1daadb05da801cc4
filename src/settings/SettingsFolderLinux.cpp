// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsFolder.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

const std::string InstrumentGroupName = "dialout";

[[noreturn]] void Fail(int error, const std::string& path) {
    throw std::system_error(error, std::generic_category(), path);
}

// The instrument group's id; false on a machine without that group.
bool InstrumentGroup(gid_t& id) {
    const group* entry = getgrnam(InstrumentGroupName.c_str());
    if (entry) id = entry->gr_gid;
    return entry != nullptr;
}

// Whether this process may give files to the instrument group: the superuser, a member, or anybody on a
// machine without that group.
bool ActsForInstrumentGroup() {
    gid_t id = 0;
    if (geteuid() == 0 || !InstrumentGroup(id) || getegid() == id) return true;
    std::vector<gid_t> groups(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)) + 1);
    groups.resize(
        static_cast<size_t>(std::max(getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    return std::find(groups.begin(), groups.end(), id) != groups.end();
}

// Whether joining the instrument group would let this user write what `info` describes.
bool GroupWouldWrite(const struct stat& info) {
    gid_t id = 0;
    return InstrumentGroup(id) && info.st_gid == id && (info.st_mode & S_IWGRP) && !ActsForInstrumentGroup();
}

bool MayWrite(const std::string& path, int access) {
    return faccessat(AT_FDCWD, path.c_str(), access, AT_EACCESS) == 0;
}

bool IsFolder(const std::string& path, struct stat& info) {
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentOf(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string UserName() {
    const passwd* entry = getpwuid(geteuid());
    return entry ? entry->pw_name : std::to_string(geteuid());
}

// A command for root as a user types it on a plain Debian, where root has a password and no sudo is set
// up. The login shell ("-") brings root's search path: adduser lies in /usr/sbin, which "su -c" alone
// would leave out of the user's.
std::string AsRoot(const std::string& command) {
    return "su - -c '" + command + "'";
}

} // namespace

std::string SystemFolderName(const std::string& folder) {
    return folder;
}

void MakeSettingsFolder(const std::string& folder) {
    // Made closed first and opened only once it belongs to the instrument group, so that it never stands
    // open to the creator's own group.
    if (mkdir(folder.c_str(), 0700) != 0) {
        if (errno == EEXIST) return;
        Fail(errno, folder);
    }
    gid_t group = 0;
    if ((InstrumentGroup(group) && chown(folder.c_str(), static_cast<uid_t>(-1), group) != 0) ||
        chmod(folder.c_str(), 02775) != 0) {
        const int error = errno;
        rmdir(folder.c_str());
        Fail(error, folder);
    }
}

SettingsWriteLock::SettingsWriteLock(const std::string& folder)
    : handle_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    // The folder itself is locked: everybody who may write the settings may open it, and no lock file
    // has to be made and kept writable for the group. The wait has no bound: a write holds the lock for
    // milliseconds, and a copy of the program that dies gives it up with its descriptors.
    if (handle_ < 0) Fail(errno, folder);
    while (flock(handle_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        close(handle_);
        Fail(error, folder);
    }
}

SettingsWriteLock::~SettingsWriteLock() {
    close(handle_);
}

std::string SettingsWriteProblem(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + "/" + fileName;
    std::string reason;
    std::string remedy;
    bool joining = false;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        if (MayWrite(path, W_OK)) return {};
        joining = GroupWouldWrite(info);
        reason = "Die Datei ist für die Gruppe " + InstrumentGroupName + " nicht beschreibbar.";
        remedy = AsRoot("chgrp " + InstrumentGroupName + " " + path + " && chmod 664 " + path);
    } else if (IsFolder(folder, info)) {
        if (MayWrite(folder, W_OK | X_OK)) return {};
        joining = GroupWouldWrite(info);
        reason =
            "Der Ordner " + folder + " ist für die Gruppe " + InstrumentGroupName + " nicht beschreibbar.";
        remedy = AsRoot("chgrp " + InstrumentGroupName + " " + folder + " && chmod 2775 " + folder);
    } else {
        const std::string parent = ParentOf(folder);
        if (IsFolder(parent, info) && MayWrite(parent, W_OK | X_OK)) {
            // The first write makes the folder, for the instrument group.
            if (ActsForInstrumentGroup()) return {};
            joining = true;
        }
        reason = "Der Ordner " + folder + " fehlt und kann nicht angelegt werden.";
        remedy = AsRoot("install -d -m 2775 -g " + InstrumentGroupName + " " + folder);
    }
    if (joining) {
        reason = "Der Benutzer " + UserName() + " gehört nicht zur Gruppe " + InstrumentGroupName + ".";
        remedy =
            AsRoot("adduser " + UserName() + " " + InstrumentGroupName) + "\nDanach ab- und wieder anmelden.";
    }
    return "Die Einstellungen können nicht in " + path + " gespeichert werden.\n" + reason +
           "\n\nAbhilfe im Terminal:\n" + remedy;
}

std::string TakeOverFormerSettings(const TIniFile&) {
    return {};
}
