// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every value of the settings store, by section and value name, with the defaults the
// program uses when a value is missing. Values are read and written where they are used;
// these helpers only keep the names and defaults in one place.

#include <filesystem>
#include <string>
#include <string_view>

#include "link/LinkEngine.h"
#include "platform/Settings.h"

namespace vantrel {

class ISpecialFolders;

namespace settings {
inline constexpr std::string_view kSettings = "Settings";
inline constexpr std::string_view kStartUp = "StartUp";

inline constexpr std::string_view kHomeDirectory = "Home Directory";
inline constexpr std::string_view kCommsTimeOut = "CommsTimeOut";
inline constexpr std::string_view kCommsAttempts = "CommsAttempts";
inline constexpr std::string_view kStartOnTaskBarAllowed = "StartOnTaskBarAllowed";
inline constexpr std::string_view kStartOnTaskBar = "StartOnTaskBar";
inline constexpr std::string_view kPort = "Port";
inline constexpr std::string_view kBaudRate = "Baud Rate";
inline constexpr std::string_view kCommPortSel = "CommPort Sel";
inline constexpr std::string_view kDefaultPath = "Default Path";
inline constexpr std::string_view kExportPath = "Export Path";

inline constexpr int kDefaultCommsTimeOut = 2;
inline constexpr int kDefaultCommsAttempts = 3;
inline constexpr int kDefaultStartOnTaskBarAllowed = 0;
inline constexpr int kDefaultStartOnTaskBar = 1;
// The port opened when none was ever chosen; the Settings page shows no port instead.
inline constexpr std::string_view kDefaultPort = "COM1";
inline constexpr int kDefaultBaudIndex = 0;
inline constexpr int kDefaultCommPortSel = 0;
}  // namespace settings

struct CommsValues {
    int timeOut = settings::kDefaultCommsTimeOut;
    int attempts = settings::kDefaultCommsAttempts;
};

// Start-up: writes "Home Directory" (the folder of `programFile`, no trailing separator),
// reads "CommsTimeOut" and "CommsAttempts" and writes them back unchanged, so they exist
// after the first start (a store rewrites nothing when they already do). Returns the two
// values read. Saving is the caller's: ISettings::Sync().
CommsValues RecordStartUp(ISettings& store, const std::filesystem::path& programFile);

// True when the main window starts minimised: "StartOnTaskBarAllowed" and
// "StartOnTaskBar" both non-zero.
bool StartsMinimised(const ISettings& store);

// The port and speed the operations open: "Port" (default "COM1"; a device name as listed,
// "ttyUSB0", or a path) and "Baud Rate" (index 0, 1, 2 -> 9600, 19200, 38400). Any other
// index gives the baud rate 0, which the link refuses, so the operation shows "Error
// opening port" as for any port that cannot be opened.
LinkSettings ReadLinkSettings(const ISettings& store);

// The backup folder: "Default Path", else the documents folder, else the current directory.
std::string ReadBackupFolder(const ISettings& store, const ISpecialFolders& folders);
void WriteBackupFolder(ISettings& store, std::string_view folder);

// The export folder: "Export Path", else the desktop folder, else the current directory.
std::string ReadExportFolder(const ISettings& store, const ISpecialFolders& folders);
// Where an export file named without a folder goes: the export folder last used ("Export
// Path" when it holds an absolute folder), else the documents folder, else the desktop
// folder, else the current directory. Never the working directory while a folder is known.
std::string ReadExportBaseFolder(const ISettings& store, const ISpecialFolders& folders);
void WriteExportFolder(ISettings& store, std::string_view folder);

// What the Settings page reads: "Port" with no default (empty when never chosen), the
// list position "CommPort Sel" and the "Baud Rate" index.
std::string ReadChosenPort(const ISettings& store);
int ReadCommPortSelection(const ISettings& store);
int ReadBaudIndex(const ISettings& store);
// What the Settings page's Apply and the closing prompt write.
void WriteLinkChoice(ISettings& store, std::string_view port, int baudIndex);

}  // namespace vantrel
