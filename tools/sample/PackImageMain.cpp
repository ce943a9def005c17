// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-pack-image IMAGE_DIR OUT.vbk
// Makes a backup from a logger image folder without a logger: the files are sorted into
// the backup exactly as a backup from the logger sorts them.

#include <cstdio>
#include <exception>
#include <string>

#include "data/DateTime.h"
#include "data/VantrelArchive.h"
#include "ops/BackupSorting.h"
#include "sample/ImageFolder.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::puts(
            "Usage: vantrel-pack-image IMAGE_DIR OUT.vbk\n"
            "Packs the files of a logger image folder into a backup file.");
        return 0;
    }
    if (argc != 3) {
        std::fputs("Usage: vantrel-pack-image IMAGE_DIR OUT.vbk\n", stderr);
        return 2;
    }
    try {
        const vantrel::sample::HexImage image = vantrel::sample::ReadImageFolder(argv[1]);
        vantrel::CVantrelArchive archive;
        const auto result = vantrel::SortBackupFiles(image.names, image.contents, archive);
        if (result != vantrel::BackupSortResult::Ok) {
            std::fprintf(stderr, "vantrel-pack-image: %s\n",
                         std::string(vantrel::BackupSortMessage(result)).c_str());
            return 1;
        }
        archive.m_dtBackup = vantrel::CurrentLocalTime();
        archive.ScanProfiles();
        archive.SaveToFile(argv[2]);
        std::printf("Packed %zu files (%d profiles) into %s\n", image.names.size(),
                    archive.GetProfileCount(), argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel-pack-image: %s\n", error.what());
        return 1;
    }
    return 0;
}
