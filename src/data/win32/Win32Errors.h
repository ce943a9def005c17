// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Win32 error codes in the terms the rest of the data layer speaks: the errno values of
// std::generic_category(), so that a caller compares with std::errc on both platforms and
// reports the same words. A file another program holds (a sharing or lock violation) is
// EBUSY.

#include <string>

namespace vantrel {

int ErrnoFromWin32(unsigned long error);

// Throws std::system_error for GetLastError(), with `what` as its context.
[[noreturn]] void ThrowLastWin32Error(const std::string& what);

}  // namespace vantrel
