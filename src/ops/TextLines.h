// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Line ends and letter case of the export's text files.

#include <string>
#include <string_view>

namespace vantrel {

// The text of a file as the export compares it: every line followed by one "\n", whether
// it ended in CR LF, LF, a lone CR that ends the file, or (the last line) nothing at all.
// A lone CR inside the text is text. `atFileEnd` false: the bytes are the file's first
// ones only, so a last line is not ended and a CR that ends them is kept as it is.
std::string NormaliseLineEnds(std::string_view fileBytes, bool atFileEnd = true);

// The bytes written to disk: every "\n" becomes CR LF.
std::string ToCrLf(std::string_view text);

// `text` with every "\n" written as `lineEnd`.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd);

// The line end of a file whose last bytes are `fileEnd`: LF when its last line end is a
// bare LF, CR LF otherwise (also when those bytes hold no line end).
std::string_view LineEndOf(std::string_view fileEnd);

// What goes between the last bytes `fileEnd` of a file and a line added after them:
// nothing after a line end; LF after a lone CR, which ends its line (as CR LF then); the
// file's line end after a last line without one.
std::string_view JoinAfter(std::string_view fileEnd);

// The text without leading and trailing white space.
std::string_view TrimWhiteSpace(std::string_view text);

}  // namespace vantrel
