// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports Windows lists under HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM:
// each value's data is a port's name ("COM1"), its value name the device behind it
// ("\Device\Serial0"). Without the key (no serial port at all) the list is empty.
#include <windows.h>

#include <array>

#include "base/win32/WideText.h"
#include "frontend/SerialPorts.h"

namespace vantrel {

std::vector<SerialPortListing> SystemPorts() {
    std::vector<SerialPortListing> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return ports;
    }
    // Values by index from 0 until the enumeration reports anything but success, with 256
    // characters for a value's name and for its data.
    for (DWORD index = 0;; ++index) {
        std::array<wchar_t, 256> name{};
        std::array<wchar_t, 256> data{};
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataBytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &dataBytes) != ERROR_SUCCESS) {
            break;
        }
        if (type != REG_SZ) continue;
        // The data may or may not hold its terminating NUL.
        std::wstring_view port(data.data(), dataBytes / sizeof(wchar_t));
        if (const std::size_t end = port.find(L'\0'); end != std::wstring_view::npos) {
            port = port.substr(0, end);
        }
        if (port.empty()) continue;
        ports.push_back(
            {Utf8FromWide(port), Utf8FromWide(std::wstring_view(name.data(), nameLength))});
    }
    RegCloseKey(key);
    return ports;
}

}  // namespace vantrel
