// SPDX-License-Identifier: GPL-3.0-or-later
// Windows sends a windowed program no signals: `taskkill` without /F closes its window
// (the sheet's own close path) and the end of the session arrives as the session
// manager's commitDataRequest. The watcher has nothing to watch there.
#include "app/frame/TerminationWatcher.h"

namespace vantrel::app {

TerminationWatcher::TerminationWatcher(std::function<void(int)> onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)) {}

TerminationWatcher::~TerminationWatcher() = default;

int TerminationWatcher::Signal() const {
    return 0;
}

void TerminationWatcher::OnReadable() {}

}  // namespace vantrel::app
