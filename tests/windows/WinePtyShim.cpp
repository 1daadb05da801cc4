// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into Wine for runs against the simulator: a pseudo-terminal refuses the modem-status and
// error-counter requests that Wine's WaitCommEvent makes, and Wine then ends every wait at once. Here
// a refused request answers "no lines, no errors", as a serial bridge without modem lines would.
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

extern "C" int ioctl(int fd, unsigned long request, ...) {
    using Ioctl = int (*)(int, unsigned long, void*);
    static const Ioctl real = reinterpret_cast<Ioctl>(dlsym(RTLD_NEXT, "ioctl"));
    __builtin_va_list arguments;
    __builtin_va_start(arguments, request);
    void* argument = __builtin_va_arg(arguments, void*);
    __builtin_va_end(arguments);
    const int result = real(fd, request, argument);
    if (result == 0 || (errno != ENOTTY && errno != EINVAL) || argument == nullptr) return result;
    if (request == TIOCMGET) {
        *static_cast<int*>(argument) = 0;
        return 0;
    }
    if (request == TIOCGICOUNT) {
        std::memset(argument, 0, sizeof(serial_icounter_struct));
        return 0;
    }
    return result;
}
