// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An export file already on disk, as the export compares it with a profile's blocks: its
// text with "\n" line ends (NormaliseLineEnds), of which only the start and the end are
// read, in pieces of bounded size, however large the file has grown. A NUL byte in any
// piece read shows that the file is not text; the rest of the file is never looked at,
// only copied, a piece at a time, into the file that replaces it once it has grown.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/AtomicFile.h"
#include "data/DateTime.h"

namespace vantrel {

class RegularFileReader;

class ExistingExport {
public:
    enum class Problem { None, Unreadable, NotText };

    // `file` is open and stays so while this object is used, until GrownBy's source has
    // read it.
    explicit ExistingExport(RegularFileReader& file) : file_(file) {}

    // The first `length` characters of the text (all of it when it is shorter).
    std::string Head(std::size_t length);
    // The last `length` characters of the text (all of it when it is shorter).
    std::string Tail(std::size_t length);
    // The time of the last timed line: the line that holds the text's last ":" (a reading
    // time's colons), read up to its first ","; invalid when there is no such line or its
    // time cannot be read.
    DateTimeValue LastReadingTime();
    // The bytes that add `lines` ("\n" line ends) to the file: joined to its last line, and
    // with the file's own line end.
    std::string AdditionOf(std::string_view lines);

    // The file grown by `addition`, for WriteFileAtomically: the file's bytes, exactly as
    // many as it held when it was opened, read a piece at a time, then `addition`. Once its
    // bytes are read the file is let go of (Windows refuses to replace a file still open).
    // A read that fails or meets the file's end early (cut short meanwhile) sets problem()
    // to Unreadable and throws std::system_error.
    ByteSource GrownBy(std::string addition);

    // Set by the first read that fails or meets a NUL byte; every result is empty from then.
    Problem problem() const { return problem_; }

private:
    // The file's bytes from `offset` on, up to `length` of them; empty once a problem is met.
    std::string Read(std::uint64_t offset, std::size_t length);
    // The position of the last `c` before `end`, searched backwards a block at a time.
    std::uint64_t FindLast(char c, std::uint64_t end);

    RegularFileReader& file_;
    Problem problem_ = Problem::None;
};

}  // namespace vantrel
