// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// <shellapi.h> after <windows.h>, which it needs.
#include <shellapi.h>

#include "base/win32/WideText.h"

namespace vantrel::cli {

// The narrow argv of mingw's start-up code is in the ANSI code page, which loses any
// character outside it: the command line is read again as UTF-16 and converted.
std::vector<std::string> StartConsole(int argc, char** argv) {
    SetConsoleOutputCP(CP_UTF8);
    // Output as written: "\n" stays one byte, so what the tool prints into a pipe or a file
    // (a --json listing, say) is the same on every system. The console itself starts a new
    // line at "\n". The input stays in text mode, so an answer typed ends without its "\r".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The progress line redraws itself with "\r" and an erase-to-end sequence.
    for (const DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE handle = GetStdHandle(stream);
        DWORD mode = 0;
        if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
            SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        }
    }
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
}

// The visible width of the console window (not of its scroll-back buffer).
std::size_t TerminalWidth(int fd) {
    HANDLE handle = GetStdHandle(fd == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(handle, &info)) {
        const int width = info.srWindow.Right - info.srWindow.Left + 1;
        if (width > 0) return static_cast<std::size_t>(width);
    }
    return 80;
}

std::filesystem::path ProgramFile() {
    // The buffer grows until the whole path fits (paths may be longer than MAX_PATH).
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::filesystem::path(L"vantrel");
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace vantrel::cli
