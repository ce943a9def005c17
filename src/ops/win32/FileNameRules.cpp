// SPDX-License-Identifier: GPL-3.0-or-later
// The names Windows gives to devices, or changes, or refuses. A device name reaches the
// device from every folder ("C:\Backups\NUL.vbk" writes nowhere), so a file of that name
// can be neither written nor found again; a name ending in a dot or space is stored
// without them, under another name than the program asked for.
#include <algorithm>
#include <array>

#include "base/AsciiText.h"
#include "ops/FileNameRules.h"

namespace vantrel {

namespace {

constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                      "NUL", "CONIN$", "CONOUT$"};
// COM1 to COM9 and LPT1 to LPT9, and with the superscript digits, which Windows takes too.
constexpr std::array<std::string_view, 2> kNumberedDevices = {"COM", "LPT"};
constexpr std::array<std::string_view, 12> kDeviceDigits = {
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};

constexpr std::string_view kRefusedCharacters = "<>:\"|?*";

// The device a name stands for: its part before the first dot, spaces at its end dropped,
// in upper case; or empty when it names none.
std::string DeviceNamed(std::string_view fileName) {
    std::string_view base = fileName.substr(0, fileName.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (const std::string_view device : kDevices) {
        if (EqualsIgnoringCase(base, device)) return std::string(device);
    }
    for (const std::string_view prefix : kNumberedDevices) {
        if (!EqualsIgnoringCase(base.substr(0, prefix.size()), prefix)) continue;
        const std::string_view digit = base.substr(prefix.size());
        if (std::find(kDeviceDigits.begin(), kDeviceDigits.end(), digit) != kDeviceDigits.end()) {
            return std::string(prefix) + std::string(digit);
        }
    }
    return {};
}

}  // namespace

std::string FileNameProblem(std::string_view fileName) {
    const std::string quoted = "'" + std::string(fileName) + "'";
    if (const std::string device = DeviceNamed(fileName); !device.empty()) {
        return quoted + " cannot be a file name on Windows: " + device +
               " is the name of a device there, with any extension and in any letter case";
    }
    for (const char c : fileName) {
        if (kRefusedCharacters.find(c) != std::string_view::npos) {
            return quoted + " cannot be a file name on Windows: it holds '" + std::string(1, c) +
                   "', which Windows does not allow in a name";
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            return quoted +
                   " cannot be a file name on Windows: it holds a control character, which "
                   "Windows does not allow in a name";
        }
    }
    if (!fileName.empty() && (fileName.back() == '.' || fileName.back() == ' ')) {
        return quoted +
               " cannot be a file name on Windows: Windows drops the dots and spaces that end "
               "a name";
    }
    return {};
}

}  // namespace vantrel
