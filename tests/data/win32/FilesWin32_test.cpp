// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file writes and the folder lock on Windows: the read-only attribute and a file held
// open by another program are respected, and temporary files and the lock file stay out of
// sight.

#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "data/AtomicFile.h"
#include "data/AtomicFileFixture.h"
#include "data/FolderLock.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

using Win32Files = test::AtomicFileTest;

TEST_F(Win32Files, AFileThatCannotBeReplacedIsLeftAsItWasWithNothingBeside) {
    const fs::path readOnly = folder_ / "kept.csv";
    WriteFileAtomically(readOnly, "old");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        WriteFileAtomically(readOnly, "new");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EACCES);
    }
    EXPECT_EQ(Read(readOnly), "old");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Another program has the file open without letting it be deleted or renamed.
    const fs::path held = folder_ / "held.csv";
    WriteFileAtomically(held, "old");
    HANDLE other = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    try {
        WriteFileAtomically(held, "new");
        ADD_FAILURE() << "a file held open was replaced";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EBUSY);  // told apart from a read-only file
    }
    CloseHandle(other);
    EXPECT_EQ(Read(held), "old");
    EXPECT_EQ(EntryCount(), 2u);  // no temporary file left beside them
}

TEST_F(Win32Files, ATemporaryFileIsHiddenAndTheFileItBecomesIsNot) {
    UnpublishedFile file(folder_, "text");
    ASSERT_EQ(EntryCount(), 1u);
    const fs::path temporary = fs::directory_iterator(folder_)->path();
    EXPECT_NE(GetFileAttributesW(temporary.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << temporary;
    ASSERT_TRUE(file.PublishNew(folder_ / "North.csv"));
    EXPECT_EQ(GetFileAttributesW((folder_ / "North.csv").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Win32Files, TheFolderLockIsAHiddenFileThatOneHolderAtATimeHas) {
    {
        const FolderLock lock(folder_ / "North.csv");
        const fs::path lockFile = folder_ / ".vantrel-lock";
        const DWORD attributes = GetFileAttributesW(lockFile.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
        // A second holder's lock on it fails while the first holds it.
        HANDLE second = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(second, INVALID_HANDLE_VALUE);
        OVERLAPPED at{};
        EXPECT_FALSE(
            LockFileEx(second, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at));
        CloseHandle(second);
    }
    const FolderLock again(folder_ / "North.csv");  // released: taken at once
}

}  // namespace
}  // namespace vantrel
