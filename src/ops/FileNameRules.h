// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names this platform's file systems refuse, or store under another name, asked before
// any work whose result is to get such a name (a backup is not downloaded in vain). On
// POSIX a folder takes every name without a separator. Windows keeps its device names (CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$, CONOUT$) with any extension, in any
// letter case and with spaces before the extension, as the devices; it drops the dots and
// spaces that end a name; and it refuses the characters < > : " | ? * and control
// characters. The halves are posix/ and win32/FileNameRules.cpp.

#include <string>
#include <string_view>

namespace vantrel {

// Why `fileName` (a name, not a path: no separator is looked at) cannot name a file here,
// naming it and the reason, or empty when it can.
std::string FileNameProblem(std::string_view fileName);

}  // namespace vantrel
