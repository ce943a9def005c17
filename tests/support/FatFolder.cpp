// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FatFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

// The full path of a system program (posix_spawn does not search), or empty.
std::string ProgramPath(const std::string& name) {
    std::string folders = std::getenv("PATH") ? std::getenv("PATH") : "";
    folders += ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const fs::path candidate = fs::path(folders.substr(start, end - start)) / name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return {};
}

// Runs a system program; the empty text when it succeeded, else what went wrong.
std::string Run(const std::string& name, const std::vector<std::string>& args) {
    const std::string program = ProgramPath(name);
    if (program.empty()) return name + " is not installed";
    const ProcessResult result = RunProcess(program, args, {}, std::chrono::seconds{30});
    if (result.exitCode == 0) return {};
    std::string why = result.err.empty() ? result.out : result.err;
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    return name + " failed (" + std::to_string(result.exitCode) + "): " + why;
}

// True once another file system is mounted on `mountPoint` (fusefat may return first).
bool WaitForMount(const fs::path& mountPoint, const fs::path& parent) {
    for (int i = 0; i < 100; ++i) {
        struct stat point {
        }, above{};
        if (::stat(mountPoint.c_str(), &point) == 0 && ::stat(parent.c_str(), &above) == 0 &&
            point.st_dev != above.st_dev) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

bool FatTestsRequired() {
    return std::getenv("CI") != nullptr && ::geteuid() == 0;
}

FatFolder::FatFolder(Access access) {
    std::string pattern = (fs::temp_directory_path() / "vantrel-fat-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    const fs::path image = root_ / "stick.img";
    mountPoint_ = root_ / "stick";
    fs::create_directories(mountPoint_);
    {
        const int fd = ::creat(image.c_str(), 0600);
        if (fd < 0 || ::ftruncate(fd, 32 << 20) != 0) throw std::runtime_error("no image file");
        ::close(fd);
    }
    if (std::string why = Run("mkfs.vfat", {"-n", "VANTREL", image.string()}); !why.empty()) {
        skipReason_ = "cannot make a FAT image: " + why;
        return;
    }
    const bool readOnly = access == Access::ReadOnly;
    std::string loopWhy = "mounting needs root";
    if (::geteuid() == 0) {
        loopWhy = Run("mount", {"-t", "vfat", "-o", readOnly ? "loop,ro" : "loop,rw",
                                image.string(), mountPoint_.string()});
        if (loopWhy.empty() && WaitForMount(mountPoint_, root_)) {
            how_ = "loop";
            return;
        }
    }
    // fusefat calls its read-write mode "rw+" (experimental, which a test image can afford).
    const std::vector<std::string> fuseArgs = {image.string(), mountPoint_.string(), "-o",
                                               readOnly ? "ro" : "rw+"};
    std::string fuseWhy = Run("fusefat", fuseArgs);
    if (fuseWhy.empty() && WaitForMount(mountPoint_, root_)) {
        how_ = "fusefat";
        return;
    }
    if (fuseWhy.empty()) fuseWhy = "fusefat mounted nothing";
    skipReason_ =
        "no FAT file system can be mounted here (kernel: " + loopWhy + "; " + fuseWhy + ")";
}

FatFolder::~FatFolder() {
    if (!how_.empty()) {
        // A FUSE mount may still be busy for an instant after its last file closed.
        for (int attempt = 0; attempt < 50; ++attempt) {
            const std::string why = how_ == "fusefat"
                                        ? Run("fusermount", {"-u", mountPoint_.string()})
                                        : Run("umount", {mountPoint_.string()});
            if (why.empty()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (attempt == 49) Run("umount", {"-l", mountPoint_.string()});
        }
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

}  // namespace vantrel::test
