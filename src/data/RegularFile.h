// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a regular file, from its start or at any position, the same way on every
// platform: the opening never waits (a pipe named like the file would block until some
// writer came), and anything but a regular file is refused before a byte of it is read.
// Errors are errno values of std::generic_category(). One thread at a time.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace vantrel {

class RegularFileReader {
public:
    RegularFileReader() = default;
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

    // Opens `path` for reading: no error, the system's error, EISDIR for a folder, or
    // EINVAL for anything else that is not a regular file. On Windows, a file another
    // program holds without sharing it is waited for about a second, then is EBUSY.
    std::error_code Open(const std::filesystem::path& path);
    // The file's size when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to `wanted` bytes into `into` and sets `got` (0 at the end of the file).
    std::error_code Read(void* into, std::size_t wanted, std::size_t& got);
    // Reads up to `wanted` bytes from `offset` on into `into` and sets `got`: fewer than
    // `wanted` only at the end of the file. Where Read goes on from afterwards differs: on
    // POSIX (pread) it stays where it was, on Windows (ReadFile at an offset on a handle
    // opened for synchronous reads) it moves to where this read ended. A caller uses one
    // kind of read or the other.
    std::error_code ReadAt(std::uint64_t offset, void* into, std::size_t wanted, std::size_t& got);
    // Lets go of the file (before it is replaced: Windows refuses to replace a file still
    // open). Reads fail from then on; the destructor closes it too.
    void Close();

private:
    std::intptr_t handle_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
    std::uint64_t size_ = 0;
};

}  // namespace vantrel
