// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a whole file so that a crash, a kill, a full disk or a vanished folder never
// leaves a truncated file under the final name, and, where the file system allows it,
// nothing at all. The bytes go to an unnamed temporary file (O_TMPFILE) in the target's
// folder, which only gets a name once it is complete; a file system without unnamed files
// gets a hidden temporary name instead, and stale ones of those are swept away.

#include <filesystem>
#include <string_view>

namespace vantrel {

// Writes `bytes` and puts them in place of `path`, replacing what is there. On any failure
// `path` is left as it was, nothing is left behind, and std::system_error is thrown. A
// symbolic link is written through (the link stays); a file replaced keeps its permission
// bits, and one that could not be opened for writing is refused (EACCES) rather than
// replaced.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// A file written in full but not yet given a name. Destroyed without a name, it leaves
// nothing behind.
class UnpublishedFile {
public:
    // Writes and flushes `bytes` in `folder` (empty: the current directory) with the
    // permission bits `mode` (default: the usual ones of a new file). Throws
    // std::system_error.
    UnpublishedFile(const std::filesystem::path& folder, std::string_view bytes);
    UnpublishedFile(const std::filesystem::path& folder, std::string_view bytes, unsigned mode);
    ~UnpublishedFile();
    UnpublishedFile(const UnpublishedFile&) = delete;
    UnpublishedFile& operator=(const UnpublishedFile&) = delete;

    // Gives the file the name `path` (in the same folder) unless something already exists
    // there: then returns false and the file stays unnamed, to try another name. Never
    // replaces a file, even one that appears at the last moment. Throws std::system_error
    // for any other failure.
    bool PublishNew(const std::filesystem::path& path);

private:
    friend void WriteFileAtomically(const std::filesystem::path&, std::string_view);
    // PublishNew without making the name durable (the name is about to be renamed).
    bool Link(const std::filesystem::path& path);
    void Close();

    std::filesystem::path folder_;
    int fd_ = -1;
    std::filesystem::path tempName_;  // only where unnamed files are not supported
    bool published_ = false;
};

// True for the hidden temporary names used where unnamed files are not supported, so that
// listings can skip them.
bool IsAtomicTempName(std::string_view fileName);

// Removes hidden temporary files of ours in `folder` that are older than an hour and whose
// writing process is gone (a writer killed before it could clean up). Never throws.
void RemoveStaleTempFiles(const std::filesystem::path& folder);

}  // namespace vantrel
