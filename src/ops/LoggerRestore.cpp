// The restore: erase the logger (keeping its own configuration) and upload a backup.
#include <algorithm>
#include <string>
#include <vector>

#include "base/StringPrintf.h"
#include "ops/LoggerOperations.h"

namespace vantrel {

namespace {

constexpr const char* kOrtvelSoilName = "ORTVELSOIL.CFG01";
constexpr const char* kUserSoilName = "USERSOIL.CFG01";

}  // namespace

int CLoggerOperations::EraseFileSystem() {
    engine_.PostStatus(0, std::string(texts::kErasing));
    std::vector<std::string> doomed;
    std::string name;
    std::uint32_t size = 0;
    if (!engine_.GetFirstFileInfo(name, size)) {
        // "No file" is an empty logger, nothing to erase; any other failure is one.
        return engine_.LastReplyStatus() == ReplyStatus::EndOfList ? 1 : 0;
    }
    do {
        if (name != kDeviceConfigFileName) doomed.push_back(name);
    } while (engine_.GetNextFileInfo(name, size));
    if (engine_.LastReplyStatus() != ReplyStatus::EndOfList) return 0;

    const double count = static_cast<double>(doomed.size());
    for (std::size_t k = 0; k < doomed.size(); ++k) {
        if (!engine_.DeleteLoggerFile(doomed[k])) return 0;
        const double percent = static_cast<double>(k + 1) * 100.0 / count;
        engine_.PostStatus(static_cast<std::uint32_t>(percent), std::nullopt);
    }
    return 1;
}

// Step 5: soil tables, then each profile's configuration and data, then the other files.
bool CLoggerOperations::UploadArchive(const CVantrelArchive& archive, int& filesWritten) {
    const auto upload = [&](const std::string& fileName, const std::string& content) {
        if (content.empty()) return true;  // an empty text is not written at all
        if (!engine_.UploadFile(fileName, content)) return false;
        ++filesWritten;
        return true;
    };
    if (!upload(kOrtvelSoilName, archive.m_strOrtvelSoil)) return false;
    if (!upload(kUserSoilName, archive.m_strUserSoil)) return false;
    for (int i = 0; i < archive.GetProfileCount(); ++i) {
        std::string data;
        std::string config;
        const std::int32_t number = archive.GetProfileFiles(i, data, config);
        // Always the generation-0 names, whatever the files were called when backed up.
        if (!upload(StringPrintf("PRO%02d.CFG00", number), config)) return false;
        if (!upload(StringPrintf("PRO%02d.DAT00", number), data)) return false;
    }
    const std::size_t others =
        std::min(archive.m_astrOtherNames.size(), archive.m_astrOtherFiles.size());
    for (std::size_t i = 0; i < others; ++i) {
        if (!engine_.UploadFile(archive.m_astrOtherNames[i], archive.m_astrOtherFiles[i])) {
            return false;
        }
        ++filesWritten;
    }
    return true;
}

int CLoggerOperations::RestoreLogger(INotificationTarget* page, const CVantrelArchive& archive) {
    return RunWithRateTimer(page, kRestoreRatePeriod, [&] { return RunRestore(page, archive); });
}

int CLoggerOperations::RunRestore(INotificationTarget* page, const CVantrelArchive& archive) {
    if (!engine_.OperationPrologue(page, linkSettings_(), /*clearCancel=*/false)) return 0;
    if (!EraseFileSystem()) {
        engine_.PostStatus(0, std::string(texts::kEraseFailed));
        engine_.CloseLink();
        return 0;
    }
    int filesWritten = 0;
    if (!UploadArchive(archive, filesWritten)) {
        engine_.CloseLink();  // UploadFile has already said what failed
        return 0;
    }
    engine_.CloseLink();
    PostCompletion(texts::kRestored, filesWritten);
    return 1;
}

}  // namespace vantrel
