// SPDX-License-Identifier: GPL-3.0-or-later
// The registry type of a value is asked of Win32, in the keys QSettings reads and in its
// order: the user's key of the program, the user's key of the organisation's defaults, then
// the same two of the machine.
#include "platform/qt/RegistryValue.h"

#include <windows.h>

#include <QStringList>
#include <optional>
#include <string>

namespace vantrel {
namespace {

// The type of value `name` in `subKey` of `root`, when it is there.
std::optional<DWORD> TypeIn(HKEY root, const QString& subKey, const QString& name) {
    DWORD type = REG_NONE;
    const LSTATUS status = RegGetValueW(root, reinterpret_cast<const wchar_t*>(subKey.utf16()),
                                        reinterpret_cast<const wchar_t*>(name.utf16()),
                                        RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return type;
}

std::optional<DWORD> TypeOf(const QSettings& registry, const QString& key) {
    const qsizetype cut = key.lastIndexOf('/');
    const QString group = cut < 0 ? QString() : '\\' + QString(key.left(cut)).replace('/', '\\');
    const QString name = key.mid(cut + 1);
    const QString organisation = "Software\\" + registry.organizationName() + '\\';
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const QString& application :
             {registry.applicationName(), QStringLiteral("OrganizationDefaults")}) {
            if (const auto type = TypeIn(root, organisation + application + group, name)) {
                return type;
            }
        }
    }
    return std::nullopt;
}

QString Expanded(const QString& text) {
    const auto* source = reinterpret_cast<const wchar_t*>(text.utf16());
    const DWORD size = ExpandEnvironmentStringsW(source, nullptr, 0);
    if (size == 0) return text;
    std::wstring expanded(size, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(source, expanded.data(), size);
    if (written == 0 || written > size) return text;
    expanded.resize(written - 1);  // without its terminating NUL
    return QString::fromStdWString(expanded);
}

}  // namespace

QVariant ReadRegistryValue(const QSettings& registry, const QString& key) {
    const QVariant value = registry.value(key);
    if (!value.isValid()) return value;
    switch (TypeOf(registry, key).value_or(REG_SZ)) {
        case REG_SZ:
        case REG_DWORD:
        case REG_QWORD:
            return value;
        case REG_EXPAND_SZ:
            return Expanded(value.toString());
        case REG_MULTI_SZ: {
            const QStringList strings = value.toStringList();
            if (strings.isEmpty()) return {};
            return strings.join('\n');
        }
        default:
            return {};
    }
}

}  // namespace vantrel
