// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/posix/SysfsDescription.h"

#include <fstream>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// A sysfs attribute's one line, blanks around it dropped; empty when there is none.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string SysfsPortDescription(const fs::path& classTty, std::string_view name) {
    std::error_code error;
    fs::path folder = fs::canonical(classTty / std::string(name) / "device", error);
    if (error) return {};
    // The terminal of a USB serial driver (ttyUSB), its interface, its device; an ACM
    // terminal's "device" is the interface already. No further: above lie hubs and hosts,
    // which name themselves too.
    for (int level = 0; level < 3 && folder.has_relative_path(); ++level) {
        const std::string maker = Attribute(folder / "manufacturer");
        const std::string product = Attribute(folder / "product");
        if (!maker.empty() || !product.empty()) {
            // Many products begin with their maker's name already.
            if (maker.empty() || product.rfind(maker, 0) == 0) return product;
            return product.empty() ? maker : maker + " " + product;
        }
        folder = folder.parent_path();
    }
    return {};
}

}  // namespace vantrel
