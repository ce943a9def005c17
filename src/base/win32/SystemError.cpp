// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SystemError.h"

#include <windows.h>

#include <string>

#include "base/StringPrintf.h"
#include "base/win32/WideText.h"

namespace vantrel {

std::string SystemErrorText(int code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) text = Utf8FromWide(std::wstring_view(buffer, length));
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text.empty()) text = StringPrintf("Windows error %d", code);
    return text;
}

}  // namespace vantrel
