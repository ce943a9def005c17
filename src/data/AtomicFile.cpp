// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of whole-file writing common to all platforms: temporary names, the sweep of
// those a dead writer left, the link resolution and the folder probe. The file handling
// itself is in posix/AtomicFile.cpp and win32/AtomicFile.cpp.
#include "data/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <random>
#include <string>
#include <system_error>

#include "base/FileSystem.h"
#include "base/PathText.h"
#include "data/AtomicFileParts.h"

namespace vantrel {
namespace atomic_file {

namespace fs = std::filesystem;

fs::path FolderOrCurrent(const fs::path& folder) {
    return folder.empty() ? fs::path(".") : folder;
}

void ThrowErrno(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

// The cut falls between whole UTF-8 characters: a file system that stores names as UTF-16
// (FAT, exFAT, NTFS) refuses a broken one.
std::string TempPattern(const fs::path& folder, const std::string& name) {
    constexpr std::size_t kLongestNamePart = 180;
    std::size_t cut = std::min(name.size(), kLongestNamePart);
    while (cut > 0 && cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return Utf8FromPath(FolderOrCurrent(folder) /
                        PathFromUtf8(std::string(kTempPrefix) + std::to_string(CurrentProcessId()) +
                                     "-" + name.substr(0, cut) + "-XXXXXX")) +
           std::string(kTempSuffix);
}

std::string RandomTempName(const fs::path& folder, const std::string& name,
                           std::random_device& random) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string pattern = TempPattern(folder, name);
    const std::size_t xs = pattern.size() - kTempSuffix.size() - 6;
    for (std::size_t i = 0; i < 6; ++i)
        pattern[xs + i] = kLetters[random() % (sizeof kLetters - 1)];
    return pattern;
}

}  // namespace atomic_file

namespace {

namespace fs = std::filesystem;
using namespace atomic_file;

constexpr auto kStaleAfter = std::chrono::hours(1);

// Bytes held in memory as a source, in pieces of at most 1 MiB: the piece a source fills is
// a copy, which stays small however large the file.
ByteSource PiecesOf(std::string_view bytes) {
    constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
    return [bytes](std::string& piece) mutable {
        if (bytes.empty()) return false;
        piece.assign(bytes.substr(0, kPieceBytes));
        bytes.remove_prefix(piece.size());
        return true;
    };
}

// The pid in a temporary name of ours, or -1 (a name from before pids were recorded).
long WriterOf(std::string_view name) {
    name.remove_prefix(kTempPrefix.size());
    long pid = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end == name.data() || *end != '-') return -1;
    return pid;
}

}  // namespace

fs::path WriteTarget(const fs::path& path) {
    std::error_code error;
    if (fs::is_symlink(path, error)) {
        fs::path target = fs::canonical(path, error);
        if (!error) return target;
    }
    return path;
}

bool IsAtomicTempName(std::string_view fileName) {
    return fileName.size() > kTempPrefix.size() + kTempSuffix.size() &&
           fileName.starts_with(kTempPrefix) && fileName.ends_with(kTempSuffix);
}

void RemoveStaleTempFiles(const fs::path& folder) {
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (const FolderEntry& entry : ReadFolder(folder, error)) {
        if (!IsAtomicTempName(entry.name) || entry.kind != FileKind::Regular) continue;
        const fs::path file = FolderOrCurrent(folder) / PathFromUtf8(entry.name);
        if (RemoveUnlessHeld(file) != TempFileState::CannotTell) continue;
        // Where a live writer cannot be told by what it holds: an hour old, and its
        // process gone.
        if (now - entry.modified < kStaleAfter) continue;
        if (ProcessGone(WriterOf(entry.name))) RemoveFile(file, error);
    }
}

UnpublishedFile::UnpublishedFile(const fs::path& folder, const ByteSource& source)
    : UnpublishedFile(folder, source, NewFileMode()) {}

// The file exists once the delegated constructor has returned: should the source or a write
// throw from here on, the destructor removes it.
UnpublishedFile::UnpublishedFile(const fs::path& folder, const ByteSource& source, unsigned mode)
    : UnpublishedFile(Empty{}, folder, mode) {
    std::string piece;
    while (source(piece)) Write(piece);
    Flush();
}

UnpublishedFile::UnpublishedFile(const fs::path& folder, std::string_view bytes)
    : UnpublishedFile(folder, PiecesOf(bytes)) {}

UnpublishedFile::UnpublishedFile(const fs::path& folder, std::string_view bytes, unsigned mode)
    : UnpublishedFile(folder, PiecesOf(bytes), mode) {}

void WriteFileAtomically(const fs::path& name, const ByteSource& source, ReplacedOwner owner) {
    const fs::path path = WriteTarget(name);
    UnpublishedFile file(path.parent_path(), source, ModeFor(path));
    file.replacedOwner_ = owner;
    file.Replace(path);
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes, ReplacedOwner owner) {
    WriteFileAtomically(path, PiecesOf(bytes), owner);
}

std::error_code ProbeFolderWrite(const fs::path& folder) {
    try {
        UnpublishedFile probe(folder, std::string_view());
        // Where unnamed files work, so does linking one into the folder; naming the probe
        // then would only risk a stray name should the process be killed right then.
        if (probe.Unnamed()) return {};
        std::random_device random;
        for (int attempt = 0; attempt <= 100; ++attempt) {
            const fs::path hidden = PathFromUtf8(RandomTempName(folder, "probe", random));
            if (probe.PublishNew(hidden)) {
                std::error_code ignored;
                RemoveFile(hidden, ignored);
                return {};
            }
        }
        return {EEXIST, std::generic_category()};
    } catch (const std::system_error& error) {
        return error.code();
    }
}

}  // namespace vantrel
