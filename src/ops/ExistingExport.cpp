// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/ExistingExport.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>

#include "data/RegularFile.h"
#include "ops/ExportText.h"
#include "ops/TextLines.h"

namespace vantrel {
namespace {

// The piece read at a time while searching backwards, and the most of a line read to find
// the "," that ends its time: no time is that long.
constexpr std::size_t kBlockBytes = 64 * 1024;
// The file's last bytes that show its line end.
constexpr std::size_t kEndBytes = 4096;
// The piece of the file copied at a time into the file that replaces it.
constexpr std::size_t kCopyBytes = std::size_t{1} << 20;
constexpr std::uint64_t kNotFound = std::numeric_limits<std::uint64_t>::max();

DateTimeValue NoTime() {
    return DateTimeValue{0.0, DateTimeValue::kInvalid};
}

}  // namespace

std::string ExistingExport::Read(std::uint64_t offset, std::size_t length) {
    if (problem_ != Problem::None) return {};
    std::string bytes(length, '\0');
    std::size_t got = 0;
    if (file_.ReadAt(offset, bytes.data(), length, got)) {
        problem_ = Problem::Unreadable;
        return {};
    }
    bytes.resize(got);
    if (bytes.find('\0') != std::string::npos) {
        problem_ = Problem::NotText;
        return {};
    }
    return bytes;
}

std::string ExistingExport::Head(std::size_t length) {
    // `length` characters of text take at most twice as many bytes (all CR LF); one byte
    // more tells whether a CR among them is the start of a CR LF.
    const std::uint64_t size = file_.Size();
    const std::uint64_t wanted =
        std::min<std::uint64_t>(size, 2 * static_cast<std::uint64_t>(length) + 1);
    const std::string bytes = Read(0, static_cast<std::size_t>(wanted));
    std::string text = NormaliseLineEnds(bytes, bytes.size() == size);
    if (text.size() > length) text.resize(length);
    return text;
}

std::string ExistingExport::Tail(std::size_t length) {
    // Read from the end, the last bytes give at least half as many characters.
    const std::uint64_t size = file_.Size();
    const std::uint64_t wanted =
        std::min<std::uint64_t>(size, 2 * static_cast<std::uint64_t>(length) + 2);
    std::string text = NormaliseLineEnds(Read(size - wanted, static_cast<std::size_t>(wanted)));
    if (text.size() > length) text.erase(0, text.size() - length);
    return text;
}

std::uint64_t ExistingExport::FindLast(char c, std::uint64_t end) {
    while (end > 0 && problem_ == Problem::None) {
        const std::uint64_t start = end > kBlockBytes ? end - kBlockBytes : 0;
        const std::string block = Read(start, static_cast<std::size_t>(end - start));
        const std::size_t at = block.rfind(c);
        if (at != std::string::npos) return start + at;
        if (block.size() < end - start) break;  // the file was cut short meanwhile
        end = start;
    }
    return kNotFound;
}

DateTimeValue ExistingExport::LastReadingTime() {
    const std::uint64_t size = file_.Size();
    const std::uint64_t colon = FindLast(':', size);
    if (colon == kNotFound) return NoTime();
    const std::uint64_t lineEnd = FindLast('\n', colon);
    const std::uint64_t start = lineEnd == kNotFound ? 0 : lineEnd + 1;
    const std::string line =
        Read(start, static_cast<std::size_t>(std::min<std::uint64_t>(size - start, kBlockBytes)));
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) return NoTime();
    return ReadingTimeOf(NormaliseLineEnds(std::string_view(line).substr(0, comma + 1), false));
}

std::string ExistingExport::AdditionOf(std::string_view lines) {
    const std::uint64_t size = file_.Size();
    const std::uint64_t wanted = std::min<std::uint64_t>(size, kEndBytes);
    const std::string end = Read(size - wanted, static_cast<std::size_t>(wanted));
    if (problem_ != Problem::None) return {};
    return std::string(JoinAfter(end)) + WithLineEnds(lines, LineEndOf(end));
}

ByteSource ExistingExport::GrownBy(std::string addition) {
    return [this, addition = std::move(addition), copied = std::uint64_t{0},
            added = false](std::string& piece) mutable {
        const std::uint64_t size = file_.Size();
        if (copied < size) {
            piece.resize(
                static_cast<std::size_t>(std::min<std::uint64_t>(size - copied, kCopyBytes)));
            std::size_t got = 0;
            std::error_code error = file_.ReadAt(copied, piece.data(), piece.size(), got);
            if (!error && got < piece.size()) error = {EIO, std::generic_category()};
            if (error) {
                problem_ = Problem::Unreadable;
                throw std::system_error(error, "cannot read the export file");
            }
            copied += got;
            return true;
        }
        if (added) return false;
        file_.Close();  // read in full
        piece = std::move(addition);
        added = true;
        return true;
    };
}

}  // namespace vantrel
