// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One file as the logger lists it.

#include <cstdint>
#include <string>

namespace vantrel {

struct LoggerFileStamp {
    std::uint16_t year = 0;
    std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
    friend bool operator==(const LoggerFileStamp&, const LoggerFileStamp&) = default;
};

struct LoggerFileEntry {
    std::string name;  // e.g. "USERSOIL.CFG01"
    std::uint32_t size = 0;
    LoggerFileStamp created;
    friend bool operator==(const LoggerFileEntry&, const LoggerFileEntry&) = default;
};

}  // namespace vantrel
