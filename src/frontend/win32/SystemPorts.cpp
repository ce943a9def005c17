// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports of Windows: the present devices of the Ports class as SetupAPI lists
// them, with their friendly names, together with the names under
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM (see PortDevices.h).
#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

#include <array>
#include <optional>

#include "base/win32/WideText.h"
#include "frontend/SerialPorts.h"
#include "frontend/win32/PortDevices.h"

namespace vantrel {

namespace {

// The Ports (COM and LPT) device class, {4D36E978-E325-11CE-BFC1-08002BE10318}.
constexpr GUID kPortsClass = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// Registry text data of `bytes` bytes, which may or may not hold its terminating NUL.
std::string TextOfData(const wchar_t* data, DWORD bytes) {
    std::wstring_view text(data, bytes / sizeof(wchar_t));
    if (const std::size_t end = text.find(L'\0'); end != std::wstring_view::npos) {
        text = text.substr(0, end);
    }
    return Utf8FromWide(text);
}

std::optional<std::string> DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    std::array<wchar_t, 512> data{};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(
            set, &device, property, &type, reinterpret_cast<BYTE*>(data.data()),
            static_cast<DWORD>(data.size() * sizeof(wchar_t)), nullptr) ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::string text = TextOfData(data.data(), static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    if (text.empty()) return std::nullopt;
    return text;
}

// The port's name, which its driver keeps in the device's own registry key.
std::string PortNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE) return {};
    std::array<wchar_t, 256> data{};
    DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    DWORD type = 0;
    std::string name;
    if (RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &bytes) == ERROR_SUCCESS &&
        type == REG_SZ) {
        name = TextOfData(data.data(), bytes);
    }
    RegCloseKey(key);
    return name;
}

}  // namespace

std::vector<PortDevice> PresentPortDevices() {
    std::vector<PortDevice> devices;
    HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return devices;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        std::string port = PortNameOf(set, device);
        if (port.empty()) continue;
        std::optional<std::string> name = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
        if (!name) name = DeviceProperty(set, device, SPDRP_DEVICEDESC);
        devices.push_back({std::move(port), name.value_or(std::string())});
    }
    SetupDiDestroyDeviceInfoList(set);
    return devices;
}

std::vector<std::string> SerialCommPorts() {
    std::vector<std::string> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return ports;
    }
    // Values by index from 0 until the enumeration reports anything but success, with 256
    // characters for a value's name and for its data: the data is the port's name.
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
        std::string port = TextOfData(data.data(), dataBytes);
        if (!port.empty()) ports.push_back(std::move(port));
    }
    RegCloseKey(key);
    return ports;
}

std::vector<SerialPortListing> SystemPorts() {
    return CombinePortLists(PresentPortDevices(), SerialCommPorts());
}

}  // namespace vantrel
