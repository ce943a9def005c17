// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts the link shows or posts that more than one place uses.

namespace vantrel::texts {

// String resource 1007. Settings take effect at the next operation: no restart is needed.
inline constexpr const char* kCouldNotOpenPort =
    "Sorry, could not initialise your communications port.\nPlease check the following, then "
    "try again:\n1. Your settings are correct on the settings tab.\n2. That the "
    "port you selected in the settings tab is the same port that you have connected the cable "
    "to.";
inline constexpr const char* kCouldNotOpenPortCaption = "Error opening port";

// String resource 1008.
inline constexpr const char* kCouldNotConnect =
    "Sorry, could not establish a stable connection.\nPlease check the following, then try "
    "again:\n1. Your settings are correct on the settings tab.\n2. That the port you "
    "selected in the settings tab is the same port that you have connected the cable to.\n3. The "
    "serial cable is connected to both the vantrel and the PC\n4. The vantrel is turned on\n5. "
    "The baud rates match on the PC and the vantrel\n";
inline constexpr const char* kCouldNotConnectCaption = "Error connecting to Vantrel";

inline constexpr const char* kFailedToOpenPort = "Failed to open port";
inline constexpr const char* kFailedToConnect = "Failed to connect";

}  // namespace vantrel::texts
