// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtSettings.h"

namespace vantrel {

namespace {

// "Settings" + "Port" -> "Settings/Port": the value inside its section's group.
QString KeyOf(std::string_view section, std::string_view name) {
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + '/' +
           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtSettings::QtSettings()
    : store_(std::make_unique<QSettings>(QStringLiteral("Ortvel"),
                                         QStringLiteral("VantrelUtilities"))) {}

QtSettings::QtSettings(const QString& iniFile)
    : store_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

int QtSettings::GetInt(std::string_view section, std::string_view name, int fallback) const {
    const QVariant value = store_->value(KeyOf(section, name));
    if (!value.isValid()) return fallback;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

bool QtSettings::WriteInt(std::string_view section, std::string_view name, int value) {
    store_->setValue(KeyOf(section, name), value);
    return Written();
}

std::string QtSettings::GetString(std::string_view section, std::string_view name,
                                  std::string_view fallback) const {
    const QVariant value = store_->value(KeyOf(section, name));
    if (!value.isValid()) return std::string(fallback);
    return value.toString().toStdString();
}

bool QtSettings::WriteString(std::string_view section, std::string_view name,
                             std::string_view value) {
    store_->setValue(KeyOf(section, name), Text(value));
    return Written();
}

bool QtSettings::RemoveSection(std::string_view section) {
    store_->remove(Text(section));
    return Written();
}

bool QtSettings::Sync() {
    store_->sync();
    return store_->status() == QSettings::NoError;
}

bool QtSettings::Written() {
    // QSettings writes lazily; a failure shows only in its status.
    return store_->status() == QSettings::NoError;
}

}  // namespace vantrel
