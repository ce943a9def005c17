// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The export run of the Restore / Export page: the Export to CSV dialog, then one file per
// chosen profile written or appended by the same code as `vantrel export`, then the
// summary message boxes. GUI thread only; the logger link is not used.

#include <QString>

class QWidget;

namespace vantrel {
class CVantrelArchive;
}

namespace vantrel::app {

class IPageHost;

// Asks for profiles, format and file name in the export dialog and exports the backup
// `archive` titled `title`; shows the summaries. `owner`: the page.
void RunExport(IPageHost& sheet, QWidget* owner, const CVantrelArchive& archive,
               const QString& title);

}  // namespace vantrel::app
