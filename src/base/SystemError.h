// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's own text for an error code: errno on POSIX (strerror), a Win32 error code
// (GetLastError) on Windows, in UTF-8 and without a trailing line end.

#include <string>

namespace vantrel {

std::string SystemErrorText(int code);

}  // namespace vantrel
