// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a whole file so that a crash, a kill, a full disk or a vanished folder never
// leaves a truncated file under the final name, and, where the file system allows it,
// nothing at all. The bytes go to an unnamed temporary file (O_TMPFILE) in the target's
// folder, which only gets a name once it is complete (linkat). A file system without
// unnamed files or without hard links (FAT and exFAT on USB sticks, many network folders)
// gets a hidden temporary name instead, renamed into place once written and flushed. The
// writer holds a lock on that file while it lives (on Windows, the file's open handle), so
// that a name a killed writer left behind, which listings skip, is told from a live one's
// and swept away at the next write in that folder.
//
// A new name is taken without ever replacing a file, by the first of these the file system
// supports: a link (which refuses an existing name), renameat2(RENAME_NOREPLACE), or, under
// the FolderLock of the folder, a check that the name is free followed by a rename (all our
// own writers take that lock before they take a name this way).
//
// On Windows the bytes always go to a hidden temporary file, written through to the disk,
// which is renamed into place through its open handle: replacing, or for a new name refusing
// an existing one (in any letter case). An open or rename that another program refuses is
// tried again for about a second; a file it still holds then fails with EBUSY. The
// platform halves are posix/ and win32/AtomicFile.cpp.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace vantrel {

// Who owns a file that WriteFileAtomically puts in place of another (POSIX; on Windows the
// new file takes the folder's access rules, as any new file).
enum class ReplacedOwner {
    Writer,  // the writer, as any file it creates
    // The owner and group of the file replaced, so that a writer running as root (sudo
    // with the user's home) leaves the user's file the user's; where they cannot be given
    // (EPERM), the file is left as it was and std::system_error is thrown.
    Kept,
};

// The bytes of a file, given a piece at a time, so that a file of any size is written in the
// memory of one piece: fills `piece` (replacing what it held) and returns true, or returns
// false at the end. A source that cannot read what it gives throws std::system_error, which
// the write passes on, leaving nothing behind.
using ByteSource = std::function<bool(std::string& piece)>;

// Writes the bytes of `source` and puts them in place of `path`, replacing what is there. On
// any failure (the source's too) `path` is left as it was, nothing is left behind, and
// std::system_error is thrown. A symbolic link is written through (the link stays); a file
// replaced keeps its permission bits, and one that could not be opened for writing is
// refused (EACCES) before the source is read, rather than replaced.
void WriteFileAtomically(const std::filesystem::path& path, const ByteSource& source,
                         ReplacedOwner owner = ReplacedOwner::Writer);
// The same for bytes held in memory.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         ReplacedOwner owner = ReplacedOwner::Writer);

// The file a write to `path` lands in: the target of a symbolic link (resolved in full), so
// that the link stays a link and the file it names gets the bytes; `path` itself otherwise,
// and for a link that leads nowhere.
std::filesystem::path WriteTarget(const std::filesystem::path& path);

// A file written in full but not yet given a name. Destroyed without a name, it leaves
// nothing behind.
class UnpublishedFile {
public:
    // Writes and flushes the bytes of `source` in `folder` (empty: the current directory)
    // with the permission bits `mode` (default: the usual ones of a new file). Throws
    // std::system_error, also the source's, leaving nothing behind.
    UnpublishedFile(const std::filesystem::path& folder, const ByteSource& source);
    UnpublishedFile(const std::filesystem::path& folder, const ByteSource& source, unsigned mode);
    // The same for bytes held in memory.
    UnpublishedFile(const std::filesystem::path& folder, std::string_view bytes);
    UnpublishedFile(const std::filesystem::path& folder, std::string_view bytes, unsigned mode);
    ~UnpublishedFile();
    UnpublishedFile(const UnpublishedFile&) = delete;
    UnpublishedFile& operator=(const UnpublishedFile&) = delete;

    // Gives the file the name `path` (in the same folder) unless something already exists
    // there (on a file system blind to letter case, in any case): then returns false and
    // the file stays unnamed, to try another name. Never replaces a file, even one that
    // appears at the last moment. Throws std::system_error for any other failure. May take
    // the FolderLock of the folder: never call it while this process holds that lock.
    bool PublishNew(const std::filesystem::path& path);

    // True while the file has no name at all (the file system took an unnamed file).
    bool Unnamed() const { return tempName_.empty(); }

private:
    friend void WriteFileAtomically(const std::filesystem::path&, const ByteSource&, ReplacedOwner);
    // Creates the file, empty (platform halves). The public constructors delegate to this
    // one, so that once it has returned a failure of theirs runs the destructor, which
    // removes the file.
    struct Empty {};
    UnpublishedFile(Empty, const std::filesystem::path& folder, unsigned mode);
    // Writes `piece` after what the file holds; flushes the file to the disk. Both throw
    // std::system_error (platform halves).
    void Write(std::string_view piece);
    void Flush();
    // Puts the file in place of `path`, replacing what is there. Throws std::system_error.
    void Replace(const std::filesystem::path& path);
    // POSIX: links the unnamed file at `path` (never replacing): 0, or the errno of linkat().
    int LinkUnnamed(const std::filesystem::path& path);
    // POSIX: moves the bytes of the unnamed file to a hidden temporary name, for a file
    // system that cannot link an unnamed file. Throws std::system_error.
    void BecomeNamed();
    // Windows: the file has its final name; makes it visible and lets it go.
    void Named();
    void Close();

    std::filesystem::path folder_;
    unsigned mode_ = 0;
    int fd_ = -1;                     // POSIX: the file while it is open
    void* handle_ = nullptr;          // Windows: the file, open until it has its final name
    std::filesystem::path tempName_;  // where unnamed files cannot be used (always on Windows)
    bool published_ = false;
    ReplacedOwner replacedOwner_ = ReplacedOwner::Writer;  // for Replace()
};

// Renames `from` to `to` when nothing exists at `to`; fails with EEXIST otherwise (on a
// file system blind to letter case, also when a name differing only in case exists).
// Neither name is lost on failure. Uses the first no-replace step the file system supports
// (see above); may take the FolderLock of `to`'s folder.
std::error_code RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Whether files can be written into `folder` (empty: the current directory) the way
// WriteFileAtomically and PublishNew write them: an empty temporary file is created the
// same way and, where the file system gives it no unnamed file, given a hidden name without
// replacing, and removed. Returns the system's error
// when that fails, else no error. Leaves nothing behind (a kill in between may leave a
// hidden name that listings skip). May take the FolderLock of `folder`.
std::error_code ProbeFolderWrite(const std::filesystem::path& folder);

// True for the hidden temporary names used where unnamed files are not supported, so that
// listings can skip them.
bool IsAtomicTempName(std::string_view fileName);

// Removes hidden temporary files of ours in `folder` that no live writer holds (a writer
// killed before it could clean up); where the file system cannot tell, those older than an
// hour whose writing process is gone. Never throws.
void RemoveStaleTempFiles(const std::filesystem::path& folder);

}  // namespace vantrel
