// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A value of the settings where they live in the registry (QSettings' native format on
// Windows), as the settings store reads it. QSettings gives a REG_EXPAND_SZ as it is written
// ("%USERPROFILE%\Documents"), a REG_MULTI_SZ as a list (a text only when it holds one
// string) and REG_BINARY data as a text of its bytes. Here, by the value's registry type:
//   REG_SZ, REG_DWORD, REG_QWORD   as QSettings reads them (a text, a number);
//   REG_EXPAND_SZ                  the text with its environment variables expanded;
//   REG_MULTI_SZ                   its strings one to a line, so that a list of two folders
//                                  is never taken for no folder (the current directory);
//                                  invalid when it holds none;
//   any other type                 invalid: neither a text nor a number.
// An invalid value reads as missing. Elsewhere (no registry) QSettings' value as it is.

#include <QSettings>
#include <QVariant>

namespace vantrel {

QVariant ReadRegistryValue(const QSettings& registry, const QString& key);

}  // namespace vantrel
