// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop program's fixed texts that more than one window uses: captions, string
// resources by number, and the questions of the closing rules.

namespace vantrel::app::strings {

inline constexpr const char* kProgramTitle = "Vantrel Utilities";            // 1002
inline constexpr const char* kAboutCommand = "&About Vantrel Utilities...";  // 1003
inline constexpr const char* kBackupListColumns =                            // 1004
    "File Name                              ,Date From,Date  To,No. Profiles,Backup Date";
inline constexpr const char* kProfileListColumns =  // 1005
    "Profile No,Date From    ,Date To   ,Total Readings";
inline constexpr const char* kSettingsModified =  // 1006
    "You have modified your settings. Do you wish to save your changes ?";
inline constexpr const char* kModifiedCaption = "Modified";
inline constexpr const char* kLeaveWhileBusy =  // 1009
    "You must close communications before navigating to a different page";
inline constexpr const char* kCloseWhileBusy = "Please cancel all communications before closing";
inline constexpr const char* kSettingsNotSaved =
    "The settings could not be saved. Changes last only until the program closes.";

inline constexpr const char* kClose = "&Close";
inline constexpr const char* kHelp = "&Help";
inline constexpr const char* kHelpTopics = "Help &Topics";
inline constexpr const char* kWhatsThis = "&What's This?";

inline constexpr const char* kIdle = "Idle";
inline constexpr const char* kTransferErrors = "Transfer Errors: ";
inline constexpr const char* kTransferRate = "Transfer Rate [cps]: ";
inline constexpr const char* kCancel = "Cancel";

}  // namespace vantrel::app::strings
