// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the Excludes list read from an initialisation file. The input is a logger
// file name (a length-prefixed section) and the file's text (the rest), which is written
// to a temporary file and read the way a backup reads it. The list must always end, the
// end value is always excluded, a name is excluded whatever its letter case, and the first
// entry of the list (cut to 259 characters) is excluded.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "ScratchFolder.h"
#include "data/Excludes.h"
#include "data/IniFile.h"

namespace vantrel {
namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

std::string WithCase(std::string_view text, bool upper) {
    std::string out(text);
    for (char& c : out) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace
}  // namespace vantrel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    fuzz::FuzzInput input(data, size);
    const std::string_view name = input.Section();
    const std::string_view text = input.Rest();
    const std::filesystem::path path = fuzz::ScratchFolder() / "Vantrel.ini";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!file) std::abort();
    }

    const bool excluded = IsExcluded(name, path);
    Require(IsExcluded(WithCase(name, true), path) == excluded);
    Require(IsExcluded(WithCase(name, false), path) == excluded);
    Require(IsExcluded(kExcludesEndValue, path));
    Require(IsExcluded("EMPTY", path));

    const IniSection section(text, "Excludes");
    Require(section.Get("EXCLUDE#1") == section.Get("exclude#1"));
    if (const auto first = section.Get("Exclude#1")) {
        Require(IsExcluded(std::string_view(*first).substr(0, 259), path));
    }
    return 0;
}
