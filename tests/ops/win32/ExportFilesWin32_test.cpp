// SPDX-License-Identifier: GPL-3.0-or-later
// Exports into a file that another program holds open (tests/support/win32/HoldFile.cpp):
// the user is told so when it keeps the file, and the export is done when it lets go while
// the export tries again.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "base/win32/WideText.h"
#include "data/win32/HeldFiles.h"
#include "ops/ExportFilesFixture.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::ExportFilesTest;
using test::MakeArchive;
using test::Profile;
using test::ReadBytes;

// The holding program, started beside this test's executable; it holds the file from the
// constructor's return until Release().
class HeldFile {
public:
    HeldFile(const std::string& path, const wchar_t* share) {
        static std::atomic<int> serial{0};
        const std::wstring tag = L"vantrel-held-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(++serial);
        held_ = CreateEventW(nullptr, TRUE, FALSE, (tag + L"-held").c_str());
        release_ = CreateEventW(nullptr, TRUE, FALSE, (tag + L"-release").c_str());
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        const fs::path program = fs::path(self).parent_path() / L"vantrel-hold-file.exe";
        std::wstring command = L"\"" + program.wstring() + L"\" \"" + WideFromUtf8(path) + L"\" " +
                               share + L" " + tag + L"-held " + tag + L"-release";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &process))
            << program;
        CloseHandle(process.hThread);
        process_ = process.hProcess;
        const HANDLE either[] = {held_, process_};
        EXPECT_EQ(WaitForMultipleObjects(2, either, FALSE, 30000), WAIT_OBJECT_0)
            << "the holding program did not take the file";
    }
    ~HeldFile() {
        Release();
        CloseHandle(process_);
        CloseHandle(held_);
        CloseHandle(release_);
    }
    // Lets go of the file, and returns once the holder has ended.
    void Release() {
        SetEvent(release_);
        WaitForSingleObject(process_, 30000);
    }

private:
    HANDLE held_ = nullptr;
    HANDLE release_ = nullptr;
    HANDLE process_ = nullptr;
};

HeldFile* letGoOnRetry = nullptr;

void LetGoOnFirstRetry(int) {
    if (letGoOnRetry != nullptr) letGoOnRetry->Release();
    letGoOnRetry = nullptr;
}

TEST_F(ExportFilesTest, AFileAnotherProgramKeepsIsNamedAndOneLetGoWhileTheExportRetriesIsWritten) {
    Export(MakeArchive({Profile("03", 0, 2)}));
    const std::string before = ReadBytes(FileOf(3));
    const CVantrelArchive later = MakeArchive({Profile("03", 0, 5)});
    const std::string held = "\n" + FileHeldText(FileOf(3));
    {
        // A spreadsheet shows the file: it cannot even be read.
        HeldFile spreadsheet(FileOf(3), L"none");
        EXPECT_EQ(Export(later).fatalError, std::string(kErrorOpeningForReadingText) + held);
    }
    {
        // A viewer lets it be read, but not replaced.
        HeldFile viewer(FileOf(3), L"read");
        EXPECT_EQ(Export(later).fatalError, std::string(kErrorOpeningForWritingText) + held);
    }
    EXPECT_EQ(ReadBytes(FileOf(3)), before);
    EXPECT_TRUE(NoTemporaryFilesLeft());

    // A scanner has the file for a moment: it lets go at the first retry.
    HeldFile scanner(FileOf(3), L"none");
    letGoOnRetry = &scanner;
    const HeldFilePause pause = SetHeldFilePause(&LetGoOnFirstRetry);
    const ExportReport report = Export(later);
    SetHeldFilePause(pause);
    EXPECT_EQ(letGoOnRetry, nullptr) << "the export never met the held file";
    EXPECT_EQ(report.fatalError, "");
    EXPECT_EQ(report.lists.appended, std::vector<int>{3});
    EXPECT_TRUE(NoTemporaryFilesLeft());
}

}  // namespace
}  // namespace vantrel
