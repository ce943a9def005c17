// SPDX-License-Identifier: GPL-3.0-or-later
#include "sample/ImageFolder.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

#include "data/AtomicFile.h"
#include "sample/LoggerFileEncoding.h"

namespace vantrel::sample {

HexImage ReadImageFolder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && !IsAtomicTempName(entry.path().filename().string())) {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end(),
              [](const auto& a, const auto& b) { return a.filename() < b.filename(); });

    HexImage image;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        if (in) bytes << in.rdbuf();
        if (!in || in.bad()) {
            throw std::system_error(std::make_error_code(std::errc::io_error),
                                    "cannot read " + path.string());
        }
        image.names.push_back(path.filename().string());
        image.contents.push_back(ToHexText(bytes.str()));
    }
    return image;
}

}  // namespace vantrel::sample
