// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Windows build has: the UTF-8/UTF-16 edge, the device path of a COM port, the
// system's error texts, and how the Win32 port classifies a failed open.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "base/SystemError.h"
#include "base/win32/WideText.h"
#include "link/CSerialPort.h"
#include "link/LinkTestSupport.h"
#include "link/PortName.h"

#include <windows.h>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

TEST(WindowsText, Utf8AndWideConvertBothWaysWithoutTheCodePage) {
    const std::string zurich = "Z\xC3\xBCrich";            // Zürich
    const std::string tokyo = "\xE6\x9D\xB1\xE4\xBA\xAC";  // 東京
    EXPECT_EQ(WideFromUtf8(zurich), L"Z\u00FCrich");
    EXPECT_EQ(WideFromUtf8(tokyo), L"\u6771\u4EAC");
    EXPECT_EQ(Utf8FromWide(WideFromUtf8(zurich + "/" + tokyo)), zurich + "/" + tokyo);
    EXPECT_EQ(Utf8FromWide(L"\U0001F600"), "\xF0\x9F\x98\x80");  // a surrogate pair
    EXPECT_EQ(WideFromUtf8(""), L"");
    EXPECT_EQ(WideFromUtf8("a\xFF"
                           "b"),
              L"a\uFFFDb");  // malformed input is replaced
}

TEST(WindowsText, PortNamesBecomeDevicePathsAndErrorsHaveTheSystemsText) {
    EXPECT_EQ(DevicePathOf("COM7"), "\\\\.\\COM7");
    EXPECT_EQ(DevicePathOf("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(DevicePathOf("\\\\.\\COM3"), "\\\\.\\COM3");
    EXPECT_EQ(PortNumberOf("COM12"), 12u);
    const std::string notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(notFound.empty());
    EXPECT_EQ(notFound.find("Windows error"), std::string::npos);
    EXPECT_NE(notFound.back(), '\n');
}

TEST(WindowsSerialPort, FailedOpensAreClassified) {
    test::EngineFixture fixture;
    CSerialPort port(fixture.queue, fixture.prompt);
    port.SetOpenRetry(2, 10ms);

    EXPECT_FALSE(port.OpenPort(&fixture.target, "\\\\.\\COM7", 7, 14400, 'N', 8, 1, 521));
    EXPECT_EQ(port.LastOpenFailure().error, PortOpenError::BadBaudRate);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.OpenPort(&fixture.target, "\\\\.\\COM251", 251, 9600, 'N', 8, 1, 521));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);  // both tries, both delays
    EXPECT_EQ(port.LastOpenFailure().error, PortOpenError::NotFound);
    EXPECT_EQ(port.LastOpenFailure().device, "\\\\.\\COM251");

    // A plain file opens, but it is no serial port.
    const auto file = std::filesystem::temp_directory_path() / L"vantrel-not-a-port-\u00FC.txt";
    std::ofstream(file) << "x";
    EXPECT_FALSE(
        port.OpenPort(&fixture.target, Utf8FromWide(file.wstring()), 0, 9600, 'N', 8, 1, 521));
    EXPECT_EQ(port.LastOpenFailure().error, PortOpenError::NotATerminal);
    std::filesystem::remove(file);

    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.StartMonitor());
    port.SendText("@m0001;x");
    ASSERT_EQ(fixture.prompt.shown().size(), 1u);
    EXPECT_EQ(fixture.prompt.shown()[0].text, "Null Handle Detected");
}

}  // namespace
}  // namespace vantrel
