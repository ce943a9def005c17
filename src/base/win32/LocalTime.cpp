// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/LocalTime.h"

namespace vantrel {

bool LocalTimeOf(std::time_t moment, std::tm& local) {
    return ::localtime_s(&local, &moment) == 0;
}

}  // namespace vantrel
