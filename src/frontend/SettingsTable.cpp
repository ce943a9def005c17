// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/SettingsTable.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <optional>

#include <QString>

#include "base/AsciiText.h"
#include "base/FileSystem.h"
#include "base/PathText.h"
#include "frontend/InputError.h"
#include "frontend/SerialPorts.h"
#include "link/PortName.h"
#include "ops/AppSettings.h"
#include "platform/SpecialFolders.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace settings;

// No stored text starts with this control character: it marks a missing value.
constexpr std::string_view kMissing = "\x01";

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string BaudNote(int index) {
    const std::optional<int> rate = BaudRateFromIndex(index);
    return rate ? std::to_string(*rate) + " baud" : "not 0, 1 or 2: no port will open";
}

class TableReader {
public:
    TableReader(const ISettings& store, std::vector<SettingLine>& lines)
        : store_(store), lines_(lines) {}

    // An integer value; `note` explains the value in effect.
    template <typename Note>
    void Int(std::string_view section, std::string_view name, int fallback, Note note) {
        const std::string raw = store_.GetString(section, name, kMissing);
        SettingLine line{std::string(section), std::string(name), {}, raw == kMissing, {}};
        const std::optional<int> stored = line.isDefault ? std::nullopt : ParseInt(raw);
        const int value = stored.value_or(fallback);
        line.value = line.isDefault ? std::to_string(fallback) : raw;
        line.note = note(value);
        if (!line.isDefault && !stored) {
            line.note = "not a number: " + std::to_string(fallback) + " is used";
        }
        lines_.push_back(std::move(line));
    }

    void Int(std::string_view section, std::string_view name, int fallback) {
        Int(section, name, fallback, [](int) { return std::string(); });
    }

    // A text value; `fallback` is asked only when the value is missing.
    template <typename Fallback>
    void Text(std::string_view section, std::string_view name, Fallback fallback) {
        const std::string raw = store_.GetString(section, name, kMissing);
        SettingLine line{std::string(section), std::string(name), raw, raw == kMissing, {}};
        if (line.isDefault) line.value = fallback();
        lines_.push_back(std::move(line));
    }

private:
    const ISettings& store_;
    std::vector<SettingLine>& lines_;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

int ParseBaudSetting(const std::string& value) {
    if (const std::optional<int> number = ParseInt(value)) {
        for (int index = 0; index <= 2; ++index) {
            if (*number == index || *number == BaudRateFromIndex(index)) return index;
        }
    }
    throw InputError("\"Baud Rate\" is an index 0, 1, 2 or a rate 9600, 19200, 38400, not '" +
                     value + "'");
}

// The store keeps texts as UTF-8 (whatever the locale says, file names are UTF-8 to Qt): a
// value with bytes that are not UTF-8 would be stored with replacement characters and never
// find its folder or port again, so it is refused while the user is there to see it.
void CheckStorable(std::string_view name, const std::string& value) {
    const QString text = QString::fromStdString(value);
    if (text.toStdString() == value) return;
    throw InputError("\"" + std::string(name) +
                     "\" holds bytes that are not UTF-8, the character encoding of the "
                     "settings file, so it could not be stored as given: '" +
                     text.toStdString() + "'");
}

std::string CheckedFolder(std::string_view name, const std::string& value) {
    CheckStorable(name, value);
    std::error_code error;
    if (value.empty() || KindOfFile(PathFromUtf8(value), error) != FileKind::Folder) {
        throw InputError("\"" + std::string(name) + "\" must be an existing folder, not '" + value +
                         "'");
    }
    fs::path folder = fs::absolute(PathFromUtf8(value), error).lexically_normal();
    std::string text = Utf8FromPath(folder);
    // Never past the root ("/", or "C:\" on Windows, where "C:" is another folder).
    const std::size_t root = std::max<std::size_t>(1, Utf8FromPath(folder.root_path()).size());
    while (text.size() > root && LastPathSeparator(text) == text.size() - 1) text.pop_back();
    return text;
}

}  // namespace

std::vector<SettingLine> ReadSettingsTable(const ISettings& store, const ISpecialFolders& folders) {
    std::vector<SettingLine> lines;
    TableReader read(store, lines);
    read.Text(kSettings, kHomeDirectory, [] { return std::string("(not set)"); });
    read.Int(kSettings, kCommsTimeOut, kDefaultCommsTimeOut);
    read.Int(kSettings, kCommsAttempts, kDefaultCommsAttempts);
    read.Text(kSettings, kPort, [] { return std::string(kDefaultPort); });
    read.Int(kSettings, kBaudRate, kDefaultBaudIndex, BaudNote);
    read.Int(kSettings, kCommPortSel, kDefaultCommPortSel);
    read.Text(kSettings, kDefaultPath, [&] { return ReadBackupFolder(store, folders); });
    read.Text(kSettings, kExportPath, [&] { return ReadExportFolder(store, folders); });
    read.Int(kStartUp, kStartOnTaskBarAllowed, kDefaultStartOnTaskBarAllowed);
    read.Int(kStartUp, kStartOnTaskBar, kDefaultStartOnTaskBar);
    return lines;
}

std::string FormatSettingsTable(const std::vector<SettingLine>& lines) {
    std::string text;
    std::string section;
    for (const SettingLine& line : lines) {
        if (line.section != section) {
            if (!section.empty()) text += "\n";
            section = line.section;
            text += "[" + section + "]\n";
        }
        text += line.name + " = " + line.value;
        if (!line.note.empty()) text += " (" + line.note + ")";
        if (line.isDefault) text += " (default)";
        text += "\n";
    }
    return text;
}

SettingWritten WriteSetting(ISettings& store, const std::string& key, const std::string& value) {
    const std::string wanted = Lower(key);
    if (wanted == Lower(std::string(kPort))) {
        if (value.find_first_not_of(" \t") == std::string::npos) {
            throw InputError("\"Port\" needs a port name (ttyUSB0) or a path");
        }
        CheckStorable(kPort, value);
        store.WriteString(kSettings, kPort, value);
        std::error_code error;
        std::string warning;
        // A listed port is there; so is a device path that exists (Windows lists its COM
        // ports, which the file system does not show).
        const std::vector<std::string> listed = AvailablePortNames();
        const bool isListed =
            std::any_of(listed.begin(), listed.end(),
                        [&](const std::string& port) { return EqualsIgnoringCase(port, value); });
        if (!isListed && !fs::exists(PathFromUtf8(DevicePathOf(value)), error)) {
            warning = "note: " + DevicePathOf(value) + " does not exist at the moment";
        }
        return {std::string(kPort), value, warning};
    }
    if (wanted == Lower(std::string(kBaudRate))) {
        const int index = ParseBaudSetting(value);
        store.WriteInt(kSettings, kBaudRate, index);
        return {std::string(kBaudRate), std::to_string(index), {}};
    }
    for (const std::string_view name : {kDefaultPath, kExportPath}) {
        if (wanted == Lower(std::string(name))) {
            const std::string folder = CheckedFolder(name, value);
            store.WriteString(kSettings, name, folder);
            return {std::string(name), folder, {}};
        }
    }
    throw InputError(
        "the settings that can be changed are Port, \"Baud Rate\", \"Default "
        "Path\" and \"Export Path\", not '" +
        key + "'");
}

}  // namespace vantrel
