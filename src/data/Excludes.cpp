// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Excludes.h"

#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "base/PathText.h"
#include "data/IniFile.h"

namespace vantrel {
namespace {

constexpr std::string_view kIniName = "Vantrel.ini";
constexpr std::string_view kSection = "Excludes";
// Values are read into a buffer of 260 characters: longer ones are cut.
constexpr std::size_t kMaxValueLength = 259;

// A missing file reads as empty; so does anything but a regular file, as a pipe of that
// name would block the backup until some writer came.
std::string ReadTextFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// "Vantrel.ini" in the current directory; a name differing only in letter case is also
// taken, as the file comes from a system whose file names are case-blind.
std::filesystem::path FindIniFile() {
    std::error_code error;
    const std::filesystem::path exact = std::filesystem::current_path(error) / kIniName;
    if (error || std::filesystem::exists(exact, error)) return exact;
    // Stepping with an error code: a folder that fails half-way is no reason to fail a backup.
    std::filesystem::directory_iterator entry(exact.parent_path(), error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (EqualsIgnoringCase(Utf8FromPath(entry->path().filename()), kIniName) &&
            entry->is_regular_file(error))
            return entry->path();
    }
    return exact;
}

}  // namespace

bool IsExcluded(std::string_view loggerFileName) {
    return IsExcluded(loggerFileName, FindIniFile());
}

bool IsExcluded(std::string_view loggerFileName, const std::filesystem::path& iniFile) {
    const IniSection excludes(ReadTextFile(iniFile), kSection);
    bool excluded = false;
    for (int k = 1;; ++k) {
        std::string value =
            excludes.Get("Exclude#" + std::to_string(k)).value_or(std::string(kExcludesEndValue));
        if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
        // The list goes on after a match: the result is only given at its end.
        if (EqualsIgnoringCase(value, loggerFileName)) excluded = true;
        if (EqualsIgnoringCase(value, kExcludesEndValue)) return excluded;
    }
}

}  // namespace vantrel
