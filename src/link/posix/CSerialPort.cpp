// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CSerialPort.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/NotificationQueue.h"

namespace vantrel {

// The open device and the eventfd that wakes the monitor thread for a write or the end.
struct CSerialPort::Native {
    int fd = -1;
    int wakeFd = -1;
};

namespace {

constexpr std::chrono::microseconds kCoalesce{1000};

speed_t SpeedOf(int baudRate) {
    switch (baudRate) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        default:
            return B0;
    }
}

std::string GroupOwning(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    const group* owner = ::getgrgid(info.st_gid);
    return owner != nullptr ? owner->gr_name : std::string{};
}

PortOpenError Classify(int systemError) {
    switch (systemError) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return PortOpenError::NotFound;
        case EACCES:
        case EPERM:
            return PortOpenError::AccessDenied;
        case EBUSY:
        case EWOULDBLOCK:
            return PortOpenError::InUse;
        case ENOTTY:
            return PortOpenError::NotATerminal;
        default:
            return PortOpenError::Other;
    }
}

}  // namespace

CSerialPort::CSerialPort(INotificationQueue& queue, IPrompt& prompt, IDiagnosticLog* log)
    : queue_(queue), prompt_(prompt), log_(log), native_(std::make_unique<Native>()) {
    native_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CSerialPort::~CSerialPort() {
    shutdown_ = true;
    Wake();
    if (monitor_.joinable()) monitor_.join();
    if (native_->fd >= 0) {
        ::ioctl(native_->fd, TIOCNXCL);  // the exclusive mode would otherwise outlive us on the tty
        ::close(native_->fd);
    }
    if (native_->wakeFd >= 0) ::close(native_->wakeFd);
}

bool CSerialPort::OpenPort(INotificationTarget* owner, const std::string& devicePath,
                           std::uint32_t portNumber, int baudRate, char parity, int dataBits,
                           int stopBits, std::size_t writeBufferSize) {
    owner_ = owner;
    portNumber_ = portNumber;
    portName_ = devicePath;
    writeBufferSize_ = writeBufferSize;
    lastFailure_ = PortOpenFailure{PortOpenError::None, devicePath, {}, 0};
    if (SpeedOf(baudRate) == B0) {
        lastFailure_.error = PortOpenError::BadBaudRate;
        return false;
    }
    if (native_->wakeFd < 0) {
        lastFailure_.error = PortOpenError::Other;
        lastFailure_.systemError = EMFILE;
        return false;
    }
    std::lock_guard lock(portLock_);
    if (native_->fd >= 0) {
        ::close(native_->fd);
        native_->fd = -1;
    }
    for (int attempt = 0; attempt < openTries_; ++attempt) {
        if (TryOpenOnce(devicePath)) break;
        std::this_thread::sleep_for(retryDelay_);
    }
    if (native_->fd < 0) return false;
    lastFailure_ = PortOpenFailure{PortOpenError::None, devicePath, {}, 0};
    Configure(baudRate, parity, dataBits, stopBits);
    ::tcflush(native_->fd, TCIOFLUSH);
    return true;
}

bool CSerialPort::TryOpenOnce(const std::string& devicePath) {
    const auto fail = [&](int systemError, int fd) {
        if (fd >= 0) ::close(fd);
        lastFailure_.systemError = systemError;
        lastFailure_.error = Classify(systemError);
        if (lastFailure_.error == PortOpenError::AccessDenied) {
            lastFailure_.group = GroupOwning(devicePath);
        }
        return false;
    };
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(errno, -1);
    if (!::isatty(fd)) return fail(ENOTTY, fd);
    // Two programs must never talk to one logger at once.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno, fd);
    if (::ioctl(fd, TIOCEXCL) != 0) return fail(errno, fd);
    native_->fd = fd;
    return true;
}

void CSerialPort::Configure(int baudRate, char parity, int dataBits, int stopBits) {
    termios settings{};
    if (::tcgetattr(native_->fd, &settings) != 0) {
        ReportPortError("tcgetattr()", errno);
        return;
    }
    ::cfmakeraw(&settings);
    const speed_t speed = SpeedOf(baudRate);
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    settings.c_cflag |= CLOCAL | CREAD | (dataBits == 7 ? CS7 : CS8);
    if (parity == 'E' || parity == 'e') settings.c_cflag |= PARENB;
    if (parity == 'O' || parity == 'o') settings.c_cflag |= PARENB | PARODD;
    if (stopBits == 2) settings.c_cflag |= CSTOPB;
    // With VMIN 0 an empty read would return 0, which we take for a hang-up; with VMIN 1
    // and O_NONBLOCK it fails with EAGAIN instead.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (::tcsetattr(native_->fd, TCSANOW, &settings) != 0) {
        ReportPortError("tcsetattr()", errno);
        return;
    }
    // RTS held high. A pseudo-terminal has no modem lines: that failure is no fault.
    int rts = TIOCM_RTS;
    if (::ioctl(native_->fd, TIOCMBIS, &rts) != 0 && errno != ENOTTY && errno != EINVAL) {
        ReportPortError("ioctl(TIOCMBIS)", errno);
    }
}

bool CSerialPort::IsOpen() const {
    std::lock_guard lock(portLock_);
    return native_->fd >= 0;
}

void CSerialPort::Wake() {
    if (native_->wakeFd < 0) return;
    const std::uint64_t one = 1;
    while (::write(native_->wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void CSerialPort::MonitorThread() {
    ::tcflush(native_->fd, TCIOFLUSH);
    bool reading = true;
    while (!shutdown_) {
        pollfd waits[2] = {{native_->wakeFd, POLLIN, 0}, {reading ? native_->fd : -1, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            ReportPortError("poll()", errno);
            return;
        }
        if (waits[0].revents & POLLIN) {
            std::uint64_t count = 0;
            while (::read(native_->wakeFd, &count, sizeof count) < 0 && errno == EINTR) {
            }
            if (shutdown_) return;
        }
        if (reading && waits[1].revents != 0) {
            reading = (waits[1].revents & POLLIN) ? ReceiveAvailable() : false;
            if (!reading && !(waits[1].revents & POLLIN)) {
                // Hang-up or error without data: the device is gone. Stop reading, so the
                // thread does not spin on it; the transport times out.
                ReportPortError("poll()", EIO);
            }
        }
        WritePending();
    }
}

bool CSerialPort::ReceiveAvailable() {
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t got = ::read(native_->fd, buffer, sizeof buffer);
        if (got > 0) {
            for (ssize_t i = 0; i < got; ++i) {
                queue_.Post(owner_, Notification::RxChar(buffer[i], portNumber_));
            }
            // A request waiting to go out ends the read loop: a line that never falls silent
            // would otherwise hold every write back, and the write's purge discards what is
            // still unread anyway.
            if (shutdown_ || WriteWaiting()) return true;
            // At the logger's baud rates bytes trickle in one by one; waking both threads for
            // each byte costs more CPU than the transfer itself, so let a few more arrive
            // first. A NUL ends every frame, and nothing follows it until the next request,
            // so a read that ends in one is not held back.
            const bool frameEnded = buffer[got - 1] == 0;
            if (got < static_cast<ssize_t>(sizeof buffer) && !frameEnded) {
                std::this_thread::sleep_for(kCoalesce);
            }
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return true;
        // End of file or a read error (EIO, ENXIO): the device has vanished.
        ReportPortError("read()", got == 0 ? EIO : errno);
        return false;
    }
}

void CSerialPort::WritePending() {
    std::string text;
    {
        std::lock_guard lock(portLock_);
        if (!writePending_) return;
        text.swap(pendingWrite_);
        writePending_ = false;
    }
    // Every request starts a fresh exchange: input not read yet is discarded.
    ::tcflush(native_->fd, TCIOFLUSH);
    // The time allowed for a write: 100 ms plus 20 ms a character.
    const int limitMs = 100 + 20 * static_cast<int>(text.size());
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(native_->fd, text.data() + done, text.size() - done);
        if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0 && errno == EAGAIN) {
            pollfd writable{native_->fd, POLLOUT, 0};
            const int ready = ::poll(&writable, 1, limitMs);
            if (ready > 0 && !(writable.revents & (POLLERR | POLLHUP | POLLNVAL))) continue;
            if (ready < 0 && errno == EINTR) continue;
            ReportPortError("write()", ready == 0 ? ETIMEDOUT : EIO);
            return;
        }
        ReportPortError("write()", wrote < 0 ? errno : EIO);
        return;
    }
}

}  // namespace vantrel
