#include "ops/BackupSorting.h"

#include <map>
#include <stdexcept>

#include "data/Excludes.h"
#include "data/VantrelArchive.h"

namespace vantrel {
namespace {

constexpr std::string_view kDeviceConfigName = "QUILON.CFG00";
constexpr std::string_view kOrtvelSoilName = "ORTVELSOIL.CFG01";
constexpr std::string_view kUserSoilName = "USERSOIL.CFG01";
constexpr std::string_view kProductsName = "PRODUCTS.GR";

bool IsProfileFile(std::string_view name) {
    return name.starts_with("PRO") && name != kProductsName;
}

// Up to three characters after the last "."; the first three when there is no ".".
std::string_view ExtensionOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name.substr(0, 3) : name.substr(dot + 1, 3);
}

}  // namespace

std::string_view BackupSortMessage(BackupSortResult result) {
    switch (result) {
        case BackupSortResult::OrtvelSoilMissing:
            return "Ortvel Soil File missing - Aborted";
        case BackupSortResult::UserSoilMissing:
            return "User Soil File missing - Aborted";
        case BackupSortResult::Ok:
            break;
    }
    return {};
}

ExcludePredicate DefaultExcludes() {
    return [](std::string_view name) { return IsExcluded(name); };
}

BackupSortResult SortBackupFiles(const std::vector<std::string>& names,
                                 const std::vector<std::string>& contents, CVantrelArchive& archive,
                                 const ExcludePredicate& isExcluded) {
    if (names.size() != contents.size()) {
        throw std::invalid_argument("SortBackupFiles: names and contents differ in number");
    }
    // Profile key -> position in the listing; std::map yields the keys in ascending order.
    std::map<std::string, size_t> dataFiles;
    std::map<std::string, size_t> configFiles;

    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (IsProfileFile(name)) {
            const std::string key = name.substr(3, 2);
            (ExtensionOf(name) == "DAT" ? dataFiles : configFiles)[key] = i;
        } else if (name == kDeviceConfigName) {
            archive.m_strDeviceConfig = contents[i];
        } else if (name == kOrtvelSoilName) {
            archive.m_strOrtvelSoil = contents[i];
        } else if (name == kUserSoilName) {
            archive.m_strUserSoil = contents[i];
        } else if (!isExcluded(name)) {
            archive.m_astrOtherNames.push_back(name);
            archive.m_astrOtherFiles.push_back(contents[i]);
        }
    }

    if (archive.m_strOrtvelSoil.empty()) return BackupSortResult::OrtvelSoilMissing;
    if (archive.m_strUserSoil.empty()) return BackupSortResult::UserSoilMissing;

    for (const auto& [key, configAt] : configFiles) {
        const auto data = dataFiles.find(key);
        archive.AddProfile(key, data == dataFiles.end() ? std::string{} : contents[data->second],
                           contents[configAt]);
    }
    return BackupSortResult::Ok;
}

}  // namespace vantrel
