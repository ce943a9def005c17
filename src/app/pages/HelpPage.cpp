// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/HelpPage.h"

namespace vantrel::app {

CHelpPropPage::CHelpPropPage(int pageId, const QString& caption, QWidget* parent)
    : QWidget(parent), pageId_(pageId), caption_(caption) {}

}  // namespace vantrel::app
