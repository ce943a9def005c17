// SPDX-License-Identifier: GPL-3.0-or-later
// Paths for Win32 file calls: a long one full and extended, as Windows would resolve the
// plain one; a short one, a device's and an extended one as they are.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/win32/ExtendedPath.h"

namespace vantrel {
namespace {

TEST(ExtendedPath, LongPathsBecomeFullAndExtendedAndOthersStayAsTheyAre) {
    const std::wstring name(300, L'x');
    const std::wstring current = std::filesystem::current_path().native();
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\data\\North.vbk", L"C:\\data\\North.vbk"},
        {L"North.vbk", L"North.vbk"},
        {L"C:\\data\\" + name, L"\\\\?\\C:\\data\\" + name},
        {L"C:/data/./old/../" + name + L". ", L"\\\\?\\C:\\data\\" + name},
        {name, L"\\\\?\\" + current + L"\\" + name},
        {L"\\\\server\\share\\" + name, L"\\\\?\\UNC\\server\\share\\" + name},
        {L"\\\\?\\C:\\" + name + L".", L"\\\\?\\C:\\" + name + L"."},
        {L"\\\\.\\COM5", L"\\\\.\\COM5"},
    };
    for (const auto& [given, expected] : cases) {
        EXPECT_EQ(ToExtendedPath(given), expected) << std::filesystem::path(given).string();
    }
}

}  // namespace
}  // namespace vantrel
