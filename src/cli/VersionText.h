#pragma once

#include <string>

namespace vantrel::cli {

// "vantrel 0.1.0 (Vantrel Utilities), Qt 6.4.2, Debian GNU/Linux 12 (bookworm) x86_64"
std::string VersionText();

}  // namespace vantrel::cli
