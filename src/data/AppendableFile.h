// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An existing regular file that is read anywhere and grown in place at its end, so that a
// file of any size takes a few new lines without being held in memory or written anew.
// As with RegularFileReader, the opening never waits (a pipe named like the file would
// block until some writer came) and anything but a regular file is refused before a byte
// of it is read. Errors are errno values of std::generic_category(). One thread at a time.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace vantrel {

class AppendableFile {
public:
    AppendableFile() = default;
    ~AppendableFile();
    AppendableFile(const AppendableFile&) = delete;
    AppendableFile& operator=(const AppendableFile&) = delete;

    // Opens `path` for reading and, where the file may be written, for appending: no error,
    // the system's error, EISDIR for a folder, or EINVAL for anything else that is not a
    // regular file. A file that may be read but not written opens all the same; Append
    // then gives the reason it may not be written.
    std::error_code Open(const std::filesystem::path& path);
    // The file's size when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to `wanted` bytes from `offset` on into `into` and sets `got`: fewer than
    // `wanted` only at the end of the file.
    std::error_code ReadAt(std::uint64_t offset, void* into, std::size_t wanted, std::size_t& got);
    // Writes `bytes` after the file's last byte and flushes them to the disk. On failure
    // the file is cut back to the length it had, so that it holds what it held before.
    std::error_code Append(std::string_view bytes);

private:
    std::intptr_t handle_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
    std::uint64_t size_ = 0;
    std::error_code writeRefused_;  // why the file was opened for reading only
};

}  // namespace vantrel
