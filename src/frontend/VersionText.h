// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's version, as the command-line tool prints it and the About box shows it.

#include <string>
#include <string_view>

namespace vantrel {

// "0.1.0": the version of the project, set in CMake.
std::string_view ProgramVersion();

// Two lines for `program` "vantrel":
//   vantrel 0.1.0 (Vantrel Utilities), Qt 6.4.2, Debian GNU/Linux 12 (bookworm) x86_64
//   License: GPL-3.0-or-later
std::string VersionText(std::string_view program);

}  // namespace vantrel
