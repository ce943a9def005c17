// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/AppSettings.h"

#include <system_error>

#include "base/PathText.h"
#include "platform/SpecialFolders.h"

namespace vantrel {

namespace fs = std::filesystem;
using namespace settings;

namespace {

// The current directory, or "." when even that cannot be had (a removed working folder).
std::string CurrentDirectory() {
    std::error_code error;
    const fs::path current = fs::current_path(error);
    return error ? std::string(".") : Utf8FromPath(current);
}

std::string SpecialOrCurrent(const std::optional<fs::path>& special) {
    return special && !special->empty() ? special->string() : CurrentDirectory();
}

// A folder value; when it is missing (an empty text is a value: the current directory),
// the special folder, asked only then, or the current directory.
template <typename SpecialFolder>
std::string ReadFolder(const ISettings& store, std::string_view name, SpecialFolder special) {
    // No stored text starts with this control character, so it marks a missing value.
    constexpr std::string_view kMissing = "\x01";
    std::string folder = store.GetString(kSettings, name, kMissing);
    return folder == kMissing ? SpecialOrCurrent(special()) : folder;
}

}  // namespace

CommsValues RecordStartUp(ISettings& store, const fs::path& programFile) {
    // The program file's path cut at its last separator: the folder, without a trailing
    // separator (empty for a bare name or a program in the root folder).
    const std::string file = Utf8FromPath(programFile);
    const std::size_t separator = LastPathSeparator(file);
    store.WriteString(kSettings, kHomeDirectory,
                      separator == std::string::npos ? std::string() : file.substr(0, separator));

    CommsValues values;
    values.timeOut = store.GetInt(kSettings, kCommsTimeOut, kDefaultCommsTimeOut);
    values.attempts = store.GetInt(kSettings, kCommsAttempts, kDefaultCommsAttempts);
    store.WriteInt(kSettings, kCommsTimeOut, values.timeOut);
    store.WriteInt(kSettings, kCommsAttempts, values.attempts);
    return values;
}

bool StartsMinimised(const ISettings& store) {
    return store.GetInt(kStartUp, kStartOnTaskBarAllowed, kDefaultStartOnTaskBarAllowed) != 0 &&
           store.GetInt(kStartUp, kStartOnTaskBar, kDefaultStartOnTaskBar) != 0;
}

LinkSettings ReadLinkSettings(const ISettings& store) {
    LinkSettings link;
    link.port = store.GetString(kSettings, kPort, kDefaultPort);
    link.baudRate = BaudRateFromIndex(ReadBaudIndex(store)).value_or(0);
    return link;
}

std::string ReadBackupFolder(const ISettings& store, const ISpecialFolders& folders) {
    return ReadFolder(store, kDefaultPath, [&folders] { return folders.Documents(); });
}

void WriteBackupFolder(ISettings& store, std::string_view folder) {
    store.WriteString(kSettings, kDefaultPath, folder);
}

std::string ReadExportFolder(const ISettings& store, const ISpecialFolders& folders) {
    return ReadFolder(store, kExportPath, [&folders] { return folders.Desktop(); });
}

std::string ReadExportBaseFolder(const ISettings& store, const ISpecialFolders& folders) {
    const std::string last = store.GetString(kSettings, kExportPath, "");
    if (!last.empty() && fs::path(last).is_absolute()) return last;
    const std::optional<fs::path> documents = folders.Documents();
    if (documents && !documents->empty()) return documents->string();
    return SpecialOrCurrent(folders.Desktop());
}

void WriteExportFolder(ISettings& store, std::string_view folder) {
    store.WriteString(kSettings, kExportPath, folder);
}

std::string ReadChosenPort(const ISettings& store) {
    return store.GetString(kSettings, kPort, "");
}

int ReadCommPortSelection(const ISettings& store) {
    return store.GetInt(kSettings, kCommPortSel, kDefaultCommPortSel);
}

int ReadBaudIndex(const ISettings& store) {
    return store.GetInt(kSettings, kBaudRate, kDefaultBaudIndex);
}

void WriteLinkChoice(ISettings& store, std::string_view port, int baudIndex) {
    store.WriteString(kSettings, kPort, port);
    store.WriteInt(kSettings, kBaudRate, baudIndex);
}

}  // namespace vantrel
