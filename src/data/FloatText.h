// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Single-precision values as "%f" prints them once widened to double: fixed notation,
// six digits after the point, exact rounding of the binary value (ties to even), a minus
// sign whenever the sign bit is set, and the C library's "inf" / "nan" texts. The common
// case is done with integer arithmetic, as a reading block holds millions of values.

#include <string>

namespace vantrel {

void AppendFixed6(std::string& out, float value);
std::string FormatFixed6(float value);

}  // namespace vantrel
