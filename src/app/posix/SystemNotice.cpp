// SPDX-License-Identifier: GPL-3.0-or-later
// Linux and other POSIX desktops: Qt's AT-SPI bridge passes the LiveNotice's appearance on to
// the screen reader, which speaks it; there is no second channel to feed.
#include "app/common/SystemNotice.h"

namespace vantrel::app {

void RaiseSystemNotice(QWidget*, const QString&) {}

}  // namespace vantrel::app
