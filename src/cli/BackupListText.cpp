// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BackupListText.h"
#include "base/PathText.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <algorithm>
#include <array>

#include "cli/InfoJson.h"
#include "cli/TerminalText.h"
#include "frontend/ShownTitle.h"
#include "ops/BackupSummary.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kColumns = 5;
using Cells = std::array<std::string, kColumns>;

// Terminal columns a UTF-8 text takes (one per code point; titles are plain names).
std::size_t DisplayWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

std::string ShortDate(const DateTimeValue& value) {
    const std::optional<CivilTime> civil = ToCivil(value);
    if (!civil || IsUnsetDate(value)) return {};
    const QDate date(civil->year, civil->month, civil->day);
    return QLocale::system().toString(date, QLocale::ShortFormat).toStdString();
}

std::string BackupTable(const std::vector<BackupRow>& rows) {
    std::vector<Cells> lines = {
        {"File Name", "Date From", "Date  To", "No. Profiles", "Backup Date"}};
    for (const BackupRow& row : rows) {
        lines.push_back({PrintableText(ShownTitle(row.title)), ShortDate(row.dateFrom),
                         ShortDate(row.dateTo), std::to_string(row.profileCount),
                         ShortDate(row.backupDate)});
    }
    std::array<std::size_t, kColumns> widths{};
    for (const Cells& cells : lines) {
        for (std::size_t c = 0; c < kColumns; ++c)
            widths[c] = std::max(widths[c], DisplayWidth(cells[c]));
    }
    std::string text;
    for (const Cells& cells : lines) {
        std::string line;
        for (std::size_t c = 0; c < kColumns; ++c) {
            const std::string padding(widths[c] - DisplayWidth(cells[c]), ' ');
            // The profile count is a number: right-aligned under its heading.
            line += c == 3 ? padding + cells[c] : cells[c] + padding;
            if (c + 1 < kColumns) line += "  ";
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

std::string BackupListJson(const std::vector<BackupRow>& rows) {
    QJsonArray array;
    for (const BackupRow& row : rows) {
        QJsonObject object;
        object["title"] = QString::fromStdString(row.title);
        object["file"] = QString::fromStdString(Utf8FromPath(row.file));
        object["dateFrom"] = DateJson(row.dateFrom);
        object["dateTo"] = DateJson(row.dateTo);
        object["profiles"] = row.profileCount;
        object["backupDate"] = DateJson(row.backupDate);
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace vantrel::cli
