// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkTestSupport.h"

#include <sys/resource.h>

namespace vantrel::test {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace vantrel::test
