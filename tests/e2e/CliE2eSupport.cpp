// SPDX-License-Identifier: GPL-3.0-or-later
#include "e2e/CliE2eSupport.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "data/VantrelArchive.h"

namespace vantrel::e2e {

CliWorkspace::CliWorkspace(const std::vector<std::string>& imageArgs) {
    std::vector<std::string> makeArgs = {Image().string()};
    makeArgs.insert(makeArgs.end(), imageArgs.begin(), imageArgs.end());
    if (test::RunProcess(VANTREL_MAKE_SAMPLE, makeArgs).exitCode != 0) {
        throw std::runtime_error("vantrel-make-sample-image failed");
    }
    test::ProcessOptions options = ToolOptions();
    if (test::RunProcess(VANTREL_PACK_IMAGE, {Image().string(), PackedBackup().string()}, options)
            .exitCode != 0) {
        throw std::runtime_error("vantrel-pack-image failed");
    }
    fs::create_directories(Backups());
    fs::create_directories(root() / "home");
}

test::ProcessOptions CliWorkspace::ToolOptions() const {
    test::ProcessOptions options;
    options.env = {"XDG_CONFIG_HOME=" + (root() / "config").string(),
                   "HOME=" + (root() / "home").string(), "LC_ALL=C"};
    options.cwd = root().string();  // no Vantrel.ini there: nothing is left out
    return options;
}

std::vector<std::string> CliWorkspace::WithLink(std::vector<std::string> args,
                                                const std::string& link) const {
    if (!link.empty()) {
        args.push_back("--port");
        args.push_back(link);
    }
    return args;
}

test::ProcessResult CliWorkspace::Vantrel(std::vector<std::string> args, const std::string& link,
                                          std::chrono::milliseconds timeout) const {
    const bool usesFolder = !args.empty() && args[0] != "logger";
    args = WithLink(std::move(args), link);
    if (usesFolder) {
        args.push_back("--folder");
        args.push_back(Backups().string());
    }
    return test::RunProcess(VANTREL_CLI, args, ToolOptions(), timeout);
}

std::vector<std::string> CliWorkspace::BackupFolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Backups())) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

std::vector<std::string> LeftoversIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".")) names.push_back(name);
    }
    return names;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string DifferenceButForTheDate(const fs::path& a, const fs::path& b) {
    CVantrelArchive first;
    CVantrelArchive second;
    try {
        first = CVantrelArchive::LoadFromFile(a);
        second = CVantrelArchive::LoadFromFile(b);
    } catch (const std::exception& error) {
        return std::string("cannot load: ") + error.what();
    }
    // Stored again with the other's date, the first must give the second's exact bytes;
    // and it must give its own bytes unchanged (the load lost nothing).
    const std::vector<std::uint8_t> own = first.Store();
    if (std::string(own.begin(), own.end()) != ReadBytes(a))
        return a.string() + " does not store back";
    first.m_dtBackup = second.m_dtBackup;
    const std::vector<std::uint8_t> bytes = first.Store();
    if (std::string(bytes.begin(), bytes.end()) != ReadBytes(b)) {
        return "the bytes differ (" + std::to_string(bytes.size()) + " and " +
               std::to_string(fs::file_size(b)) + " bytes)";
    }
    return {};
}

}  // namespace vantrel::e2e
