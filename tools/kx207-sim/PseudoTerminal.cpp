// SPDX-License-Identifier: GPL-3.0-or-later
#include "kx207-sim/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace {
[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}
} // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) Fail("posix_openpt");
    char name[128];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        const int error = errno;
        ::close(master_);
        errno = error;
        Fail("pseudo-terminal slave");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        const int error = errno;
        ::close(master_);
        errno = error;
        Fail(name);
    }
    termios line{};
    tcgetattr(slave_, &line);
    cfmakeraw(&line);
    tcsetattr(slave_, TCSANOW, &line);
}

PseudoTerminal::~PseudoTerminal() {
    HangUp();
}

termios PseudoTerminal::LineSettings() const {
    termios line{};
    tcgetattr(slave_, &line);
    return line;
}

void PseudoTerminal::HangUp() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}
