// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/BackupSorting.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "base/AsciiText.h"
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

std::string DescribeLeftOutFiles(const std::vector<LeftOutFile>& files) {
    if (files.empty()) return {};
    std::string text = "These vantrel files are not in the backup:";
    for (const LeftOutFile& file : files) {
        text += "\n" + file.name + ": ";
        switch (file.reason) {
            case LeftOutFile::Reason::NamedEmpty:
                text += "a file of this name is always left out (\"Empty\" ends the Excludes list)";
                break;
            case LeftOutFile::Reason::ExcludesList:
                text += "named by the Excludes list (Vantrel.ini)";
                break;
            case LeftOutFile::Reason::NoPartner:
                text += "a profile data file without its configuration file " + file.other;
                break;
            case LeftOutFile::Reason::Replaced:
                text += "replaced by " + file.other + " of the same profile";
                break;
        }
    }
    return text;
}

BackupSortResult SortBackupFiles(const std::vector<std::string>& names,
                                 const std::vector<std::string>& contents, CVantrelArchive& archive,
                                 const ExcludePredicate& isExcluded,
                                 std::vector<LeftOutFile>* leftOut) {
    if (names.size() != contents.size()) {
        throw std::invalid_argument("SortBackupFiles: names and contents differ in number");
    }
    std::vector<LeftOutFile> dropped;
    // Profile key -> position in the listing; std::map yields the keys in ascending order.
    std::map<std::string, size_t> dataFiles;
    std::map<std::string, size_t> configFiles;

    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (IsProfileFile(name)) {
            const std::string key = name.substr(3, 2);
            auto& files = ExtensionOf(name) == "DAT" ? dataFiles : configFiles;
            if (const auto earlier = files.find(key); earlier != files.end()) {
                dropped.push_back({names[earlier->second], LeftOutFile::Reason::Replaced, name});
            }
            files[key] = i;
        } else if (name == kDeviceConfigName) {
            archive.m_strDeviceConfig = contents[i];
        } else if (name == kOrtvelSoilName) {
            archive.m_strOrtvelSoil = contents[i];
        } else if (name == kUserSoilName) {
            archive.m_strUserSoil = contents[i];
        } else if (isExcluded(name)) {
            dropped.push_back({name,
                               EqualsIgnoringCase(name, kExcludesEndValue)
                                   ? LeftOutFile::Reason::NamedEmpty
                                   : LeftOutFile::Reason::ExcludesList,
                               {}});
        } else {
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
    for (const auto& [key, dataAt] : dataFiles) {
        if (!configFiles.contains(key)) {
            const std::string& name = names[dataAt];
            std::string config = name;
            config.replace(config.size() >= 5 ? 5 : config.size(), std::string::npos, ".CFG00");
            dropped.push_back({name, LeftOutFile::Reason::NoPartner, config});
        }
    }
    if (leftOut != nullptr) {
        // In listing order.
        std::map<std::string, std::size_t> position;
        for (std::size_t i = 0; i < names.size(); ++i) position.emplace(names[i], i);
        std::stable_sort(dropped.begin(), dropped.end(), [&](const auto& a, const auto& b) {
            return position[a.name] < position[b.name];
        });
        *leftOut = std::move(dropped);
    }
    return BackupSortResult::Ok;
}

}  // namespace vantrel
