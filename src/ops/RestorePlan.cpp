// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/RestorePlan.h"

#include <algorithm>
#include <cctype>

#include "base/StringPrintf.h"
#include "data/VantrelArchive.h"
#include "link/Requests.h"

namespace vantrel {
namespace {

constexpr const char* kOrtvelSoilName = "ORTVELSOIL.CFG01";
constexpr const char* kUserSoilName = "USERSOIL.CFG01";

bool IsHexText(std::string_view text) {
    return text.size() % 2 == 0 && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

std::string FilesText(int count) {
    return count == 1 ? "1 file" : std::to_string(count) + " files";
}

}  // namespace

std::vector<RestoreFile> RestorePlan(const CVantrelArchive& archive) {
    std::vector<RestoreFile> plan;
    const auto add = [&plan](std::string name, std::string_view content) {
        if (!content.empty()) plan.push_back({std::move(name), content});
    };
    add(kOrtvelSoilName, archive.m_strOrtvelSoil);
    add(kUserSoilName, archive.m_strUserSoil);
    for (int i = 0; i < archive.GetProfileCount(); ++i) {
        const CProfileNode& profile = archive.GetProfile(i);
        const std::int32_t number = profile.m_nProfileNo;
        add(StringPrintf("PRO%02d.CFG00", number), profile.m_strConfig);
        add(StringPrintf("PRO%02d.DAT00", number), profile.m_strData);
    }
    // Other files are written even when empty: an empty file on the logger is a file.
    const std::size_t others =
        std::min(archive.m_astrOtherNames.size(), archive.m_astrOtherFiles.size());
    for (std::size_t i = 0; i < others; ++i) {
        plan.push_back({archive.m_astrOtherNames[i], archive.m_astrOtherFiles[i]});
    }
    return plan;
}

std::string RestoreQuestion(const CVantrelArchive& archive) {
    const int count = static_cast<int>(RestorePlan(archive).size());
    return std::string(texts::kRestoreWarning) + "\n\nThe vantrel will receive " +
           FilesText(count) + " from this backup.";
}

std::string RestoreRefusal(const CVantrelArchive& archive) {
    const std::vector<RestoreFile> plan = RestorePlan(archive);
    if (plan.empty()) {
        return "This backup holds no vantrel files: restoring it would only erase the "
               "vantrel. Nothing was sent.";
    }
    for (const RestoreFile& file : plan) {
        if (!CanCarryFileName(file.name)) {
            return "This backup holds a file whose name the vantrel cannot take (\"" + file.name +
                   "\"): it cannot be restored. Nothing was sent; the vantrel is unchanged.";
        }
        // A file travels as pairs of hex digits: anything else would break the request
        // frames or lose a digit after the logger has been erased.
        if (!IsHexText(file.content)) {
            return "This backup holds a damaged file (\"" + file.name +
                   "\"): it cannot be restored. Nothing was sent; the vantrel is unchanged.";
        }
    }
    return {};
}

std::string DescribeRestoreOutcome(const RestoreOutcome& outcome) {
    using Stage = RestoreOutcome::Stage;
    if (outcome.stage == Stage::NotStarted || outcome.stage == Stage::Done) return {};
    std::string text;
    if (!outcome.refusal.empty()) {
        if (outcome.refusedName.empty()) {
            text = "The vantrel refused to list its files: " + outcome.refusal + ".\n";
        } else if (outcome.stage == Stage::Erasing) {
            text = "The vantrel refused to delete \"" + outcome.refusedName +
                   "\": " + outcome.refusal + ".\n";
        } else {
            text = "The vantrel refused the file \"" + outcome.refusedName +
                   "\": " + outcome.refusal + ".\n";
        }
    }
    if (outcome.stage == Stage::Erasing) {
        text +=
            "The restore stopped while the vantrel was being erased: some of its files are "
            "gone.\n";
    } else {
        text += "The vantrel was erased and now holds " + std::to_string(outcome.filesComplete) +
                " of this backup's " + FilesText(outcome.filesTotal) + " complete.\n";
        if (!outcome.cutOff.empty()) {
            text += outcome.cutOff + " is cut off on the vantrel: it could not be deleted.\n";
        }
    }
    if (!outcome.refusal.empty()) {
        text.pop_back();  // the last line's break
        return text;
    }
    return text + "Restoring the same backup again puts it right.";
}

}  // namespace vantrel
