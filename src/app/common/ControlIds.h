// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers of the program's windows and controls. Each control's "What's This?" text is
// found under 0x60000 OR its number; each page's and dialog's help topic under its own.

namespace vantrel::app::ids {

// Pages and dialogs.
inline constexpr int kAboutDialog = 1001;
inline constexpr int kExportDialog = 1013;
inline constexpr int kFilePage = 1015;
inline constexpr int kBackupPage = 1016;
inline constexpr int kRestoreExportPage = 1018;
inline constexpr int kSettingsPage = 1021;

// The main sheet's strip below the pages.
inline constexpr int kHelpButton = 9;
inline constexpr int kCloseButton = 2;

// Backup page.
inline constexpr int kBackupName = 1020;
inline constexpr int kBackupButton = 1023;
inline constexpr int kBackupProgress = 1025;
inline constexpr int kBackupStatus = 1026;
inline constexpr int kBackupErrors = 1030;
inline constexpr int kBackupRate = 1033;
inline constexpr int kBackupPath = 1055;

// Restore / Export page.
inline constexpr int kBackupList = 1027;
inline constexpr int kRestoreStatus = 1028;
inline constexpr int kRestorePath = 1031;
inline constexpr int kRestoreErrors = 1036;
inline constexpr int kRestoreProgress = 1037;
inline constexpr int kRestoreButton = 1039;
inline constexpr int kRestoreRate = 1042;
inline constexpr int kExportButton = 1044;
inline constexpr int kRefreshViewButton = 1060;

// Settings page.
inline constexpr int kPortList = 1029;
inline constexpr int kApplyButton = 1032;
inline constexpr int kBaudList = 1034;
inline constexpr int kBrowseFolderButton = 1046;
inline constexpr int kPathEdit = 1056;

// Export dialog.
inline constexpr int kExportBackupName = 1035;
inline constexpr int kExportBrowseButton = 1047;
inline constexpr int kExportFileEdit = 1049;
inline constexpr int kFormatCalibrated = 1051;
inline constexpr int kFormatScaled = 1053;
inline constexpr int kProfileList = 1058;

// ID Tags page.
inline constexpr int kIdFileList = 1063;
inline constexpr int kIdProgress = 1065;
inline constexpr int kIdStatus = 1066;
inline constexpr int kDeleteSelectedButton = 1067;
inline constexpr int kIdRefreshButton = 1068;

// About box.
inline constexpr int kAboutVersion = 1061;
inline constexpr int kAboutTitle = 1062;
inline constexpr int kAboutCopyright = 1071;

// Context menu of the backup list.
inline constexpr int kBackupExportCommand = 32773;
inline constexpr int kBackupRenameCommand = 32774;
inline constexpr int kBackupDeleteCommand = 32775;

// "What's This?" number of a control: 0x60000 OR its number.
constexpr int HelpIdOf(int controlId) {
    return 0x60000 | controlId;
}

}  // namespace vantrel::app::ids
