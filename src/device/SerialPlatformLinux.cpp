// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port on Linux: a tty device opened non-blocking, configured raw through termios, the
// event wait on epoll.
#include "device/SerialPlatform.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A device without the request (a pseudo-terminal has no modem lines and no error counters)
// answers one of these, which means "nothing to report" rather than failure.
bool NotSupported(int error) {
    return error == ENOTTY || error == EINVAL;
}

bool SpeedConstant(int bitRate, speed_t& speed) {
    static const struct {
        int rate;
        speed_t constant;
    } speeds[] = {{110, B110},       {300, B300},       {600, B600},       {1200, B1200},    {2400, B2400},
                  {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},  {57600, B57600},
                  {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& entry : speeds)
        if (entry.rate == bitRate) {
            speed = entry.constant;
            return true;
        }
    return false;
}

tcflag_t CharacterSize(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

int SetModemLine(int fd, int line, bool on) {
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0 || NotSupported(errno)) return 0;
    return errno;
}

} // namespace

SerialDevice::~SerialDevice() {
    Close();
}

int SerialDevice::Open(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    // TIOCEXCL refuses later opens of the tty to everybody but root (and fails on anything that is
    // not a tty). The advisory lock stops later openers that lock too, root included, and a second
    // open inside this process. Neither sees a program that opened the device before us: for those
    // its descriptors and its lock file are looked for.
    int wasExclusive = 0;
    ioctl(fd, TIOCGEXCL, &wasExclusive);
    int error = 0;
    if (ioctl(fd, TIOCEXCL) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0)
        error = errno == EWOULDBLOCK ? EBUSY : errno;
    else if (HeldByAnotherProcess(fd))
        error = EBUSY;
    else
        error = lockFile_.Acquire(name);
    if (error != 0) {
        // The holder's exclusive mode stays as it was; ours must not outlive the refusal.
        if (!wasExclusive) ioctl(fd, TIOCNXCL);
        ::close(fd);
        return error;
    }
    handle_ = fd;
    LineErrors(); // the error counters start from here
    return 0;
}

void SerialDevice::Close() {
    if (handle_ < 0) return;
    // Exclusive mode belongs to the tty, not to our descriptor: left set, it would refuse our own
    // next open while any other descriptor (the simulator keeps one) holds the tty open.
    ioctl(handle_, TIOCNXCL);
    ::close(handle_);
    handle_ = -1;
    lockFile_.Release();
}

int SerialDevice::Configure(const LineSettings& settings) {
    termios line{};
    if (tcgetattr(handle_, &line) != 0) return errno;
    speed_t speed;
    if (!SpeedConstant(settings.BitRate, speed)) return EINVAL;
    cfmakeraw(&line);
    line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    line.c_cflag |= CLOCAL | CREAD | CharacterSize(settings.DataBits);
    if (settings.Parity != 0) line.c_cflag |= PARENB;
    if (settings.Parity == 1 || settings.Parity == 3) line.c_cflag |= PARODD;
    if (settings.Parity >= 3) line.c_cflag |= CMSPAR;
    // Linux gives one and a half stop bits with CSTOPB at five data bits, as the device record does.
    if (settings.StopBits != 0) line.c_cflag |= CSTOPB;
    if (settings.OutCtsFlow || settings.RtsControl == 2) line.c_cflag |= CRTSCTS;
    line.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    if (settings.OutXonXoff) line.c_iflag |= IXON;
    if (settings.InXonXoff) line.c_iflag |= IXOFF;
    if (settings.ParityCheck) line.c_iflag |= INPCK;
    line.c_cc[VSTART] = static_cast<cc_t>(settings.XonChar);
    line.c_cc[VSTOP] = static_cast<cc_t>(settings.XoffChar);
    // VMIN 1 with O_NONBLOCK: an empty queue reads as EAGAIN, and a read of 0 bytes means the line
    // hung up. With VMIN 0 both would read as 0 bytes.
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    cfsetispeed(&line, speed);
    cfsetospeed(&line, speed);
    if (tcsetattr(handle_, TCSANOW, &line) != 0) return errno;
    // Opening a tty raises DTR and RTS whatever the flow control; the USB bridge passes them on, so
    // they are set here as the settings ask (off in this program).
    if (const int error = SetModemLine(handle_, TIOCM_DTR, settings.DtrControl != 0)) return error;
    if (settings.RtsControl != 2) return SetModemLine(handle_, TIOCM_RTS, settings.RtsControl != 0);
    return 0;
}

int SerialDevice::SetQueueSizes(int, int) {
    // A tty's queues have fixed sizes in the kernel; the request is accepted and changes nothing.
    return handle_ >= 0 ? 0 : EBADF;
}

int SerialDevice::SetTimeouts(const TimeoutSettings& timeouts) {
    if (handle_ < 0) return EBADF;
    if (!ReadsReturnAtOnce(timeouts)) return EINVAL;
    timeouts_ = timeouts;
    return 0;
}

IoResult SerialDevice::ReadNow(void* buffer, long count) {
    if (count <= 0) return {};
    for (;;) {
        const ssize_t n = ::read(handle_, buffer, static_cast<size_t>(count));
        if (n > 0) return {n, 0};
        if (n == 0) return {0, EIO};
        if (errno == EAGAIN) return {};
        if (errno != EINTR) return {0, errno};
    }
}

IoResult SerialDevice::WriteBounded(const void* buffer, long count) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const int64_t timeoutMs =
        timeouts_.WriteTotalMultiplier == 0 && timeouts_.WriteTotalConstant == 0
            ? -1
            : int64_t{timeouts_.WriteTotalMultiplier} * count + int64_t{timeouts_.WriteTotalConstant};
    const char* bytes = static_cast<const char*>(buffer);
    long written = 0;
    while (written < count) {
        const ssize_t n = ::write(handle_, bytes + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return {written, errno};
        int waitMs = -1;
        if (timeoutMs >= 0) {
            const auto passed =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            if (passed >= timeoutMs) break;
            waitMs = static_cast<int>(std::min<int64_t>(timeoutMs - passed, INT_MAX));
        }
        pollfd wait{static_cast<int>(handle_), POLLOUT, 0};
        const int ready = poll(&wait, 1, waitMs);
        if (ready == 0) break;
        if (ready < 0 && errno != EINTR) return {written, errno};
        if (ready > 0 && (wait.revents & (POLLHUP | POLLERR | POLLNVAL))) return {written, EIO};
    }
    return {written, 0};
}

IoResult SerialDevice::QueueCount() const {
    int count = 0;
    if (ioctl(handle_, FIONREAD, &count) != 0) return {0, errno};
    return {count, 0};
}

IoResult SerialDevice::OutputCount() const {
    int count = 0;
    if (ioctl(handle_, TIOCOUTQ, &count) != 0) return {0, errno};
    return {count, 0};
}

IoResult SerialDevice::ModemLines() const {
    int lines = 0;
    if (ioctl(handle_, TIOCMGET, &lines) != 0) return {0, NotSupported(errno) ? 0 : errno};
    long result = 0;
    if (lines & TIOCM_CTS) result |= ModemCts;
    if (lines & TIOCM_DSR) result |= ModemDsr;
    if (lines & TIOCM_RI) result |= ModemRing;
    if (lines & TIOCM_CD) result |= ModemRlsd;
    return {result, 0};
}

IoResult SerialDevice::LineErrors() {
    serial_icounter_struct counters{};
    if (ioctl(handle_, TIOCGICOUNT, &counters) != 0) return {0, NotSupported(errno) ? 0 : errno};
    long result = 0;
    if (counters.frame != frameErrors_) result |= LineErrorFrame;
    if (counters.parity != parityErrors_) result |= LineErrorParity;
    if (counters.overrun != overruns_) result |= LineErrorOverrun;
    if (counters.brk != breaks_) result |= LineErrorBreak;
    if (counters.buf_overrun != queueOverruns_) result |= LineErrorQueueOverrun;
    frameErrors_ = counters.frame;
    parityErrors_ = counters.parity;
    overruns_ = counters.overrun;
    breaks_ = counters.brk;
    queueOverruns_ = counters.buf_overrun;
    return {result, 0};
}

int SerialDevice::Purge(bool output, bool input) const {
    if (!output && !input) return 0;
    const int queues = output && input ? TCIOFLUSH : output ? TCOFLUSH : TCIFLUSH;
    return tcflush(handle_, queues) == 0 ? 0 : errno;
}

int SerialDevice::AbortTransfers() const {
    return 0;
}

LineWaiter::~LineWaiter() {
    if (wait_ >= 0) ::close(wait_);
    if (stop_ >= 0) ::close(stop_);
}

int LineWaiter::Start(const SerialDevice& device, unsigned events) {
    wait_ = epoll_create1(EPOLL_CLOEXEC);
    if (wait_ < 0) return errno;
    stop_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop_ < 0) return errno;
    epoll_event stopEvent{};
    stopEvent.events = EPOLLIN;
    stopEvent.data.fd = stop_;
    if (epoll_ctl(wait_, EPOLL_CTL_ADD, stop_, &stopEvent) != 0) return errno;
    // Edge-triggered: bytes left in the receive queue must not wake the thread again, since nobody
    // reads them until the program's next transfer.
    epoll_event lineEvent{};
    lineEvent.events = EPOLLIN | EPOLLET | (events & LineTxEmpty ? EPOLLOUT : 0u);
    lineEvent.data.fd = device.Handle();
    if (epoll_ctl(wait_, EPOLL_CTL_ADD, device.Handle(), &lineEvent) != 0) return errno;
    device_ = device.Handle();
    return 0;
}

LineActivity LineWaiter::Wait() {
    epoll_event events[2];
    int count;
    do
        count = epoll_wait(wait_, events, 2, -1);
    while (count < 0 && errno == EINTR);
    LineActivity activity;
    if (count < 0) activity.Stopped = true;
    for (int i = 0; i < count; ++i) {
        if (events[i].data.fd == stop_) {
            activity.Stopped = true;
            continue;
        }
        if (events[i].events & EPOLLIN) activity.Events |= LineRxChar;
        if (events[i].events & EPOLLOUT) activity.Events |= LineTxEmpty;
        if (events[i].events & EPOLLERR) activity.Events |= LineError;
        activity.HungUp = events[i].events & EPOLLHUP;
    }
    // A hung-up device reports itself ready for ever; watching it further would only spin.
    if (activity.HungUp && device_ >= 0) {
        epoll_ctl(wait_, EPOLL_CTL_DEL, device_, nullptr);
        device_ = -1;
    }
    return activity;
}

void LineWaiter::End() {
    // epoll watches only for this thread; nothing is left set at the device.
}

void LineWaiter::Stop() {
    const uint64_t one = 1;
    while (::write(stop_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}
