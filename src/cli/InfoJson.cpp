// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/InfoJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace vantrel::cli {

QJsonValue DateJson(const DateTimeValue& value) {
    const std::string iso = FormatIsoLocal(value);
    if (IsUnsetDate(value) || iso.empty()) return QJsonValue(QJsonValue::Null);
    return QString::fromStdString(iso);
}

std::string DateText(const DateTimeValue& value) {
    std::string iso = FormatIsoLocal(value);
    if (IsUnsetDate(value) || iso.empty()) return "-";
    iso[iso.find('T')] = ' ';
    return iso;
}

namespace {

QJsonObject ProfileJson(const ProfileSummary& profile) {
    QJsonObject json;
    json["number"] = profile.number;
    json["firstReading"] = DateJson(profile.firstReading);
    json["lastReading"] = DateJson(profile.lastReading);
    json["readings"] = profile.readings;
    json["sensors"] = profile.sensors;
    json["firstDepth"] = profile.firstDepth;
    json["lastDepth"] = profile.lastDepth;
    json["units"] = profile.units ? QJsonValue(QString::fromStdString(*profile.units))
                                  : QJsonValue(QJsonValue::Null);
    return json;
}

}  // namespace

std::string BackupSummaryJson(const BackupSummary& summary) {
    QJsonArray profiles;
    for (const ProfileSummary& profile : summary.profiles) profiles.append(ProfileJson(profile));
    QJsonArray others;
    for (const OtherFileSummary& file : summary.otherFiles) {
        QJsonObject json;
        // Logger file names are 8-bit texts, not UTF-8: read each byte as one character so
        // that different names never print alike.
        json["name"] =
            QString::fromLatin1(file.name.data(), static_cast<qsizetype>(file.name.size()));
        json["bytes"] = static_cast<qint64>(file.bytes);
        others.append(json);
    }
    QJsonObject json;
    json["backupDate"] = DateJson(summary.backupDate);
    json["dateFrom"] = DateJson(summary.dateFrom);
    json["dateTo"] = DateJson(summary.dateTo);
    json["profiles"] = profiles;
    json["otherFiles"] = others;
    json["hasUserSoil"] = summary.hasUserSoil;
    json["hasOrtvelSoil"] = summary.hasOrtvelSoil;
    json["hasDeviceConfig"] = summary.hasDeviceConfig;
    return QJsonDocument(json).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace vantrel::cli
