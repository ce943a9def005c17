// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How much of a whole backup or restore is done, from the bytes of its files: the file being
// transferred counts with its own percent for its part of all the bytes. Within one
// operation the share never goes down, so a window title or a task bar that shows it only
// ever moves forward.

#include <cstdint>

namespace vantrel {

class COperationShare {
public:
    // A new operation moving `totalBytes` in all; nothing of it done yet.
    void Start(std::uint64_t totalBytes);
    // The next file, of `bytes`, begins: the files before it are done.
    void BeginFile(std::uint64_t bytes);
    // The whole share in percent (0 to 100) when the current file is `filePercent` done.
    int Percent(std::uint32_t filePercent);

private:
    std::uint64_t total_ = 0;
    std::uint64_t done_ = 0;     // the bytes of the files before the current one
    std::uint64_t current_ = 0;  // the bytes of the current file
    int shown_ = 0;
};

}  // namespace vantrel
