// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Executes request bodies against the logger's file system and gives the reply payloads:
// Connect "e", Close Link "c" and the file commands "fNN..." (count, first/next info,
// open, close, read block, create, write block, delete).

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/LoggerFileSystem.h"
#include "sim/SlaveFraming.h"

namespace vantrel::sim {

class CommandProcessor {
public:
    static constexpr std::size_t kHandleCount = 9;  // handles 1..9: decimal and hex agree
    static constexpr std::size_t kMaxBlockBytes = 512;

    // `blockSize(asked)` gives how many bytes a Read/Write File Block moves (at most asked);
    // `now` stamps created files.
    CommandProcessor(LoggerFileSystem& files, std::function<std::size_t(std::size_t)> blockSize,
                     std::function<CivilTime()> now);

    // The reply payload for one request body.
    std::string Execute(std::string_view body);

    std::size_t OpenHandleCount() const;

    // Past the last file, list made-up files for ever instead of ending the listing.
    void SetEndlessListing(bool endless) { endlessListing_ = endless; }

private:
    struct OpenFile {
        std::string name;
        bool writing = false;
        std::size_t position = 0;  // next byte to read
        std::string written;       // contents of a file being written, stored on close
    };

    std::string FileCommand(unsigned subCommand, std::string_view args);
    std::string FileCount() const;
    std::string FileInfo(const LoggerFileSystem::Files::value_type* entry);
    std::string MadeUpFileInfo();
    std::string OpenForReading(std::string_view args);
    std::string CloseHandle(std::string_view args);
    std::string ReadBlock(std::string_view args);
    std::string Create(std::string_view args);
    std::string WriteBlock(std::string_view args);
    std::string Delete(std::string_view args);

    std::optional<std::size_t> FreeSlot() const;
    bool IsOpen(std::string_view name) const;
    // The slot of the handle written at the start of `args` (two hex digits), or an error.
    struct HandleLookup {
        OpenFile* file = nullptr;
        std::size_t slot = 0;
        std::optional<LoggerError> error;
    };
    HandleLookup LookUpHandle(std::string_view args);
    std::string HandleReply(std::size_t slot) const;
    void CloseAll();

    LoggerFileSystem& files_;
    std::function<std::size_t(std::size_t)> blockSize_;
    std::function<CivilTime()> now_;
    std::array<std::optional<OpenFile>, kHandleCount> handles_;
    std::optional<std::string> lastListed_;  // name of the file last listed
    bool endlessListing_ = false;
    std::uint32_t madeUpListed_ = 0;  // made-up files listed since the listing began
};

}  // namespace vantrel::sim
