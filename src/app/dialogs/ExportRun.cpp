// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/ExportRun.h"

#include <QDir>
#include <exception>
#include <string>

#include "app/common/PageHost.h"
#include "app/dialogs/ExportDialog.h"
#include "data/VantrelArchive.h"
#include "ops/AppSettings.h"
#include "ops/ExportFileName.h"
#include "ops/ExportFiles.h"
#include "ops/ExportSummary.h"
#include "ops/FolderCheck.h"

namespace vantrel::app {
namespace {

// The proposed export file: "<Export Path>/<title>.csv", or "<title>.csv" when the stored
// folder is empty.
QString ProposedFile(IPageHost& sheet, const QString& title) {
    QString folder = QString::fromStdString(ReadExportFolder(sheet.Settings(), sheet.Folders()));
    if (!folder.isEmpty() && !folder.endsWith(u'/') && !folder.endsWith(QDir::separator())) {
        folder += QDir::separator();
    }
    return QDir::toNativeSeparators(folder + title + ".csv");
}

PromptIcon IconOf(SummaryIcon icon) {
    return icon == SummaryIcon::Error ? PromptIcon::Stop : PromptIcon::Information;
}

}  // namespace

void RunExport(IPageHost& sheet, QWidget* owner, const CVantrelArchive& archive,
               const QString& title) {
    CExportDial dialog(sheet, owner);
    dialog.m_nFormat = 0;
    dialog.m_strBackup = title;
    dialog.m_strFile = ProposedFile(sheet, title);
    dialog.m_pArchive = &archive;
    // Blocks the sheet only, so the help window it may open stays usable.
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted) return;

    // A name without a folder goes where the user last exported to, not into the program's
    // working directory, which means nothing to a desktop user.
    const std::string exportFile = AnchorExportFile(
        dialog.m_strFile.toStdString(), ReadExportBaseFolder(sheet.Settings(), sheet.Folders()));
    // A folder that cannot take the files is named before anything is exported.
    const std::string folder = ExportFolderOf(exportFile);
    if (const std::string problem = FolderWriteProblem(folder, "export folder"); !problem.empty()) {
        sheet.Prompt().Show(problem);
        return;
    }
    // Confirmed: the folder is remembered before any file is written.
    WriteExportFolder(sheet.Settings(), folder);
    sheet.SaveSettings();  // a folder not remembered is said, and the export goes on

    const ExportFormat format =
        dialog.m_nFormat == 1 ? ExportFormat::Scaled : ExportFormat::Calibrated;
    ExportReport report;
    try {
        report = ExportProfiles(archive, dialog.m_aProfiles, format, exportFile);
    } catch (const std::exception& error) {
        // A backup whose profile texts cannot be rendered: said, never a crash.
        sheet.Prompt().Show(error.what(), {}, PromptButtons::OK, PromptIcon::Stop);
        return;
    }
    // A file that cannot be created or read ends the export: its message, no summaries.
    if (!report.fatalError.empty()) {
        sheet.Prompt().Show(report.fatalError);
        return;
    }
    // Each summary names the folder, so the files can be found.
    const std::string whereTo =
        "\nExport folder: " +
        QDir::toNativeSeparators(QString::fromStdString(folder)).toStdString();
    for (const SummaryMessage& message : BuildExportSummaries(report.lists)) {
        sheet.Prompt().Show(message.text + whereTo, message.caption, PromptButtons::OK,
                            IconOf(message.icon));
    }
}

}  // namespace vantrel::app
