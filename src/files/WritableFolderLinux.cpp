// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/WritableFolder.h"

#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

bool MayMakeFilesIn(const std::string& folder) {
    struct stat info {};
    // Judged as the user the program runs as, not as whoever started it.
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string OwnFilesFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/KX207";
    const passwd* entry = getpwuid(geteuid());
    return std::string(entry ? entry->pw_dir : "") + "/KX207";
}
