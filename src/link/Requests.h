// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bodies of the logger's requests and readers for the data of their replies. Offsets are
// those of the whole reply frame (data start at offset 7).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/LoggerFileEntry.h"

namespace vantrel {

// The most bytes one Read File Block or Write File Block carries.
inline constexpr std::uint32_t kMaxBlockBytes = 128;

// True when a request can carry `name`: 1 to kMaxFileNameLength characters, printable
// ASCII without the quote that delimits the name or the "@" that starts a frame.
inline constexpr std::size_t kMaxFileNameLength = 255;
bool CanCarryFileName(std::string_view name);

namespace request {
std::string Connect();                                   // "e"
std::string CloseLink();                                 // "c"
std::string GetFileCount();                              // "f01"
std::string GetFirstFileInfo();                          // "f02"
std::string GetNextFileInfo();                           // "f03"
std::string OpenForReading(std::string_view name);       // f04"NAME"r
std::string CloseHandle(int handle);                     // "f0501"
std::string ReadBlock(int handle, std::uint32_t count);  // "f06010080"
std::string CreateFile(std::string_view name);           // f10"NAME"
// `hexBytes` holds two hexadecimal digits per byte, in either case; the count is its
// length / 2, and the digits go out in upper case.
std::string WriteBlock(int handle, std::string_view hexBytes);  // "f09010002A1B2"
std::string DeleteFile(std::string_view name);                  // f11"NAME"
}  // namespace request

namespace reply {
// Get File Count: the first of the three numbers at offsets 7 to 12.
std::optional<int> FileCount(std::string_view reply);
// Get First / Next File Info: the name between the quotes, size and time stamp after them.
std::optional<LoggerFileEntry> FileInfo(std::string_view reply);
// Open File for Reading / Create File: offsets 7 and 8 read as a decimal number, whose
// tens place may be a blank.
std::optional<int> FileHandle(std::string_view reply);
// Read / Write File Block: the count at offsets 7 to 10.
std::optional<std::uint32_t> BlockCount(std::string_view reply);
// Read File Block: the hexadecimal text from offset 11 up to the LRC.
std::string_view BlockData(std::string_view reply);
// NAK: the error code at offsets 8 and 9, -1 when unreadable.
int NakCode(std::string_view reply);
}  // namespace reply

}  // namespace vantrel
