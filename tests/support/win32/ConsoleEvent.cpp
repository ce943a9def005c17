// SPDX-License-Identifier: GPL-3.0-or-later
// Gives a running console program a console control event the way the console does when
// its user presses Ctrl-Break or closes its window: a thread started in that program at
// kernel32's CtrlRoutine, which calls the program's console handlers. For tests under wine,
// which turns SIGINT into Ctrl-C but gives neither of these:
//   vantrel-console-event break|close PROGRAM.exe
// prints "ready", waits for its own Ctrl-C (SIGINT under wine: as quick to arrive as the
// program's own would be), then gives the event to the one running process of that name.
// Exit status 0 once the event's thread has returned (or 10 seconds have passed), 2 when
// the event could not be given, 3 when no Ctrl-C came within a minute.
#include <windows.h>

// After <windows.h>, whose types it uses.
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

namespace {

HANDLE gTriggered = nullptr;

BOOL WINAPI OnCtrlC(DWORD event) {
    if (event != CTRL_C_EVENT) return FALSE;
    SetEvent(gTriggered);
    return TRUE;
}

DWORD ProcessNamed(const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && found == 0;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, name) == 0) found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const DWORD event = std::wcscmp(argv[1], L"close") == 0 ? CTRL_CLOSE_EVENT : CTRL_BREAK_EVENT;
    gTriggered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnCtrlC, TRUE);
    std::puts("ready");
    std::fflush(stdout);
    if (WaitForSingleObject(gTriggered, 60000) != WAIT_OBJECT_0) return 3;
    // kernel32 lies at the same address in every process of a session.
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CtrlRoutine")));
    const DWORD id = ProcessNamed(argv[2]);
    HANDLE process = id == 0 ? nullptr
                             : OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                               PROCESS_VM_OPERATION | PROCESS_VM_WRITE |
                                               PROCESS_VM_READ | SYNCHRONIZE,
                                           FALSE, id);
    if (routine == nullptr || process == nullptr) return 2;
    HANDLE thread =
        CreateRemoteThread(process, nullptr, 0, routine,
                           reinterpret_cast<void*>(static_cast<ULONG_PTR>(event)), 0, nullptr);
    if (thread == nullptr) return 2;
    WaitForSingleObject(thread, 10000);
    return 0;
}
