// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The broken-down local time of a moment, thread-safe (localtime_r on POSIX, localtime_s on
// Windows).

#include <ctime>

namespace vantrel {

// False when the moment cannot be expressed in local time.
bool LocalTimeOf(std::time_t moment, std::tm& local);

}  // namespace vantrel
