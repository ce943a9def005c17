// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// printf-style formatting into a std::string, for the protocol's fixed formats.

#include <string>

namespace vantrel {

std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vantrel
