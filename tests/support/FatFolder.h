// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A FAT file system for tests of writing onto USB sticks: an image file made with
// mkfs.vfat, mounted by the kernel on a loop device (as root, where vfat is available) or
// else by fusefat, and unmounted again on destruction. Where neither works, the folder says
// why, for the test to skip with that reason.

#include <filesystem>
#include <string>

namespace vantrel::test {

class FatFolder {
public:
    enum class Access { ReadWrite, ReadOnly };

    explicit FatFolder(Access access = Access::ReadWrite);
    ~FatFolder();
    FatFolder(const FatFolder&) = delete;
    FatFolder& operator=(const FatFolder&) = delete;

    bool Mounted() const { return skipReason_.empty(); }
    // Why no FAT file system could be mounted; empty when one is.
    const std::string& SkipReason() const { return skipReason_; }
    // The root folder of the mounted file system.
    const std::filesystem::path& path() const { return mountPoint_; }
    // "loop" or "fusefat".
    const std::string& How() const { return how_; }

private:
    std::filesystem::path root_;  // holds the image and the mount point
    std::filesystem::path mountPoint_;
    std::string how_;
    std::string skipReason_;
};

// True when a test that finds no FAT file system must fail rather than skip: in CI, which
// runs as root with /dev/fuse and loop devices.
bool FatTestsRequired();

}  // namespace vantrel::test
