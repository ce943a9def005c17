// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SystemError.h"

#include <cstring>

namespace vantrel {

std::string SystemErrorText(int code) {
    return std::strerror(code);
}

}  // namespace vantrel
