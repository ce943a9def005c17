#pragma once
// Writing a whole file so that a crash, a full disk or a vanished folder never leaves a
// truncated file under the final name.

#include <filesystem>
#include <string_view>

namespace vantrel {

// Writes `bytes` to a temporary file beside `path` (a hidden name ending in ".tmp"),
// flushes it to disk and renames it over `path`. On any failure the temporary file is
// removed, `path` is left as it was, and std::system_error is thrown. A symbolic link is
// written through (the link stays); a file replaced keeps its permission bits, and one
// that could not be opened for writing is refused (EACCES) rather than replaced.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// True for the temporary names WriteFileAtomically uses, so listings can skip them.
bool IsAtomicTempName(std::string_view fileName);

}  // namespace vantrel
