// SPDX-License-Identifier: GPL-3.0-or-later
// Holds a file open the way another program may: a spreadsheet showing it (no sharing at
// all), or a viewer that lets others read it but not replace it. For tests on Windows:
//   vantrel-hold-file PATH none|read HELD_EVENT RELEASE_EVENT
// opens PATH, sets the named event HELD_EVENT, and keeps the file until the named event
// RELEASE_EVENT is set (or a minute has passed). Exit status 0, or 2 when it could not.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return 2;
    const DWORD share = std::wcscmp(argv[2], L"read") == 0 ? FILE_SHARE_READ : 0;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[4]);
    if (file == INVALID_HANDLE_VALUE || held == nullptr || release == nullptr) return 2;
    SetEvent(held);
    WaitForSingleObject(release, 60000);
    CloseHandle(file);
    return 0;
}
