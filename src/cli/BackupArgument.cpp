#include "BackupArgument.h"

#include "BackupLoading.h"

namespace vantrel::cli {

std::optional<CVantrelArchive> LoadBackupArgument(const std::string& path, CommandIo& io) {
    LoadedBackup loaded = LoadBackup(path);
    if (!loaded.archive) io.err << kProgram << ": " << loaded.error << ": " << path << "\n";
    return std::move(loaded.archive);
}

}  // namespace vantrel::cli
