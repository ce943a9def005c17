// SPDX-License-Identifier: GPL-3.0-or-later
// Systems without a registry: the native store's values are QSettings' own.
#include "platform/qt/RegistryValue.h"

namespace vantrel {

QVariant ReadRegistryValue(const QSettings& registry, const QString& key) {
    return registry.value(key);
}

}  // namespace vantrel
