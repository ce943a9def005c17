// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace vantrel::sim {
namespace fs = std::filesystem;
namespace {

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void MakeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) ThrowErrno("tcgetattr");
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &settings) != 0) ThrowErrno("tcsetattr");
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) ThrowErrno("posix_openpt");
    try {
        if (grantpt(master_) != 0) ThrowErrno("grantpt");
        if (unlockpt(master_) != 0) ThrowErrno("unlockpt");
        std::array<char, 256> name{};
        if (const int error = ptsname_r(master_, name.data(), name.size()); error != 0) {
            errno = error;
            ThrowErrno("ptsname_r");
        }
        slavePath_ = name.data();
        // Configure the line through the slave once; the settings stay with the pair.
        const int slave = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0) ThrowErrno("open pseudo-terminal slave");
        try {
            MakeRaw(slave);
        } catch (...) {
            close(slave);
            throw;
        }
        close(slave);
        MakeRaw(master_);
        const int flags = fcntl(master_, F_GETFL);
        if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) ThrowErrno("fcntl");
    } catch (...) {
        close(master_);
        throw;
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (!link_.empty()) {
        std::error_code error;
        if (fs::read_symlink(link_, error) == fs::path(slavePath_)) fs::remove(link_, error);
    }
    close(master_);
}

void PseudoTerminal::CreateLink(const fs::path& link) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(link, error);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        throw std::runtime_error("--link " + link.string() +
                                 ": a file or folder of that name exists and is not a symlink; "
                                 "not replacing it");
    }
    // Create beside the final name and rename over it, so an old link is replaced at once.
    const fs::path temporary = link.string() + ".new-" + std::to_string(getpid());
    fs::remove(temporary, error);
    fs::create_symlink(slavePath_, temporary, error);
    if (!error) fs::rename(temporary, link, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw std::runtime_error("--link " + link.string() + ": " + error.message());
    }
    link_ = link;
}

}  // namespace vantrel::sim
