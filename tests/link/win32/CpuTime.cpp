// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkTestSupport.h"

#include <windows.h>

namespace vantrel::test {

namespace {

double Seconds(const FILETIME& time) {
    ULARGE_INTEGER ticks{};
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return static_cast<double>(ticks.QuadPart) / 1e7;  // 100 ns ticks
}

}  // namespace

double CpuSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
    return Seconds(kernel) + Seconds(user);
}

}  // namespace vantrel::test
