// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/win32/ExtendedPath.h"

#include <windows.h>

#include <string_view>

namespace vantrel {

namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kDevice = L"\\\\.\\";
constexpr std::wstring_view kNtObject = L"\\??\\";
constexpr std::wstring_view kUnc = L"\\\\";
constexpr std::size_t kShortEnough = MAX_PATH - 12;

bool IsLiteral(std::wstring_view path) {
    return path.starts_with(kExtended) || path.starts_with(kDevice) || path.starts_with(kNtObject);
}

// The full path as Windows resolves `path`, or empty when it cannot be resolved.
std::wstring FullPath(const std::wstring& path) {
    std::wstring full(std::max<std::size_t>(path.size() + 1, MAX_PATH), L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);  // the size needed, with its terminating NUL
    }
}

}  // namespace

std::wstring ToExtendedPath(const std::filesystem::path& path) {
    const std::wstring& given = path.native();
    if (given.empty() || IsLiteral(given)) return given;
    const std::wstring full = FullPath(given);
    if (full.size() < kShortEnough) return given;
    if (IsLiteral(full)) return full;
    if (full.starts_with(kUnc))
        return std::wstring(kExtended) + L"UNC\\" + full.substr(kUnc.size());
    return std::wstring(kExtended) + full;
}

}  // namespace vantrel
