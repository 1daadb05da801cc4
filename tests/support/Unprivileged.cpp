// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

gid_t InstrumentGroup() {
    const group* entry = getgrnam("dialout");
    return entry ? entry->gr_gid : static_cast<gid_t>(-1);
}

bool MemberOf(gid_t group) {
    std::vector<gid_t> groups(static_cast<size_t>(getgroups(0, nullptr)) + 1);
    groups.resize(static_cast<size_t>(getgroups(static_cast<int>(groups.size()), groups.data())));
    return getegid() == group || std::find(groups.begin(), groups.end(), group) != groups.end();
}

const passwd& Nobody() {
    static const passwd* entry = getpwnam("nobody");
    if (!entry) throw std::runtime_error("no user nobody");
    return *entry;
}

// In the child: becomes "nobody"; false when that failed.
bool BecomeNobody(bool inInstrumentGroup) {
    const gid_t instrument = InstrumentGroup();
    const int groupCount = inInstrumentGroup ? 1 : 0;
    return setgroups(static_cast<size_t>(groupCount), &instrument) == 0 && setgid(Nobody().pw_gid) == 0 &&
           setuid(Nobody().pw_uid) == 0;
}

} // namespace

namespace Unprivileged {

bool CanRun(bool inInstrumentGroup) {
    return geteuid() == 0 || MemberOf(InstrumentGroup()) == inInstrumentGroup;
}

void Run(const std::function<void()>& body, bool inInstrumentGroup) {
    fflush(stdout);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && !BecomeNobody(inInstrumentGroup)) _exit(2);
        body();
        fflush(stdout);
        // Leaves without the parent's exit handlers and test reports.
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the unprivileged child ended by signal";
    ASSERT_NE(WEXITSTATUS(status), 2) << "could not become nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failures as an unprivileged user, see above";
}

void Give(const std::string& path) {
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), Nobody().pw_uid, Nobody().pw_gid), 0) << path;
    }
}

} // namespace Unprivileged
