// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/RestoreExportPage.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <system_error>

#include "app/common/ControlIds.h"
#include "app/common/ListCtrlEx.h"
#include "app/common/LiveText.h"
#include "app/common/Mnemonic.h"
#include "app/common/PageHost.h"
#include "app/common/Strings.h"
#include "app/dialogs/ExportRun.h"
#include "app/help/ContextHelp.h"
#include "app/pages/BackupFileActions.h"
#include "app/pages/ConnectionStatus.h"
#include "app/pages/TitleEditDelegate.h"
#include "app/readings/ReadingsWindow.h"
#include "base/FileSystem.h"
#include "base/PathText.h"
#include "frontend/BackupChoice.h"
#include "ops/AppSettings.h"
#include "ops/BackupFolder.h"
#include "ops/BackupLoading.h"
#include "ops/RestorePlan.h"

namespace vantrel::app {
namespace {

namespace fs = std::filesystem;

// The start button and its Cancel share Alt+E.
constexpr const char* kRestore = "R&estore";
constexpr const char* kCancelRestore = "Canc&el";

// Where a row keeps the path of its file (the bytes of the name, whatever their encoding).
constexpr int kFileRole = Qt::UserRole + 1;
constexpr int kUnloadableRole = Qt::UserRole + 2;

std::string OneBackupOnlyText(const char* verb) {
    return std::string("Several backups are selected. Select only the backup to ") + verb + ".";
}

QPushButton* MakeButton(const QString& caption, const char* name, int controlId, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    SetCaption(button, caption);
    SetControlId(button, controlId);
    return button;
}

QAction* MakeCommand(const QString& text, const char* name, const QList<QKeySequence>& keys,
                     QWidget* list) {
    auto* action = new QAction(text, list);
    action->setObjectName(name);
    action->setShortcuts(keys);
    // The keys act while the list has the focus, never inside the in-place editor.
    action->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(action);
    return action;
}

}  // namespace

CRestoreExportPage::CRestoreExportPage(QWidget* parent)
    : COperationPage(ids::kRestoreExportPage, "Restore / Export", parent) {
    setObjectName("restoreExportPage");
    BuildControls();
    BuildMenu();
}

CRestoreExportPage::~CRestoreExportPage() {
    // A rename editor still open is closed as the list is destroyed, after this page's own
    // destruction has begun: its end must not reach the page any more.
    m_listBackups->itemDelegateForColumn(0)->disconnect(this);
}

void CRestoreExportPage::BuildControls() {
    m_listBackups = new CListCtrlEx(this);
    m_listBackups->setObjectName("backupList");
    m_listBackups->setAccessibleName("Backups");
    SetControlId(m_listBackups, ids::kBackupList);
    m_listBackups->SetSortedByFirstColumn(true);
    m_listBackups->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listBackups->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listBackups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listBackups->setContextMenuPolicy(Qt::CustomContextMenu);
    m_listBackups->SetColumns(strings::kBackupListColumns);
    // Room for a few backups however small the window is made.
    m_listBackups->setMinimumHeight(m_listBackups->header()->sizeHint().height() +
                                    6 * m_listBackups->fontMetrics().height() +
                                    2 * m_listBackups->frameWidth());
    auto* titleEditor = new TitleEditDelegate(
        [this](const QModelIndex& index, const QString& typed) {
            const fs::path file = RowFile(index.row());
            // Handled once the editor has closed: the rename may show a message box and
            // rebuild the list, which must not happen under the editor's feet.
            QMetaObject::invokeMethod(
                this, [this, file, typed] { OnEndLabelEdit(file, typed); }, Qt::QueuedConnection);
        },
        m_listBackups);
    m_listBackups->setItemDelegateForColumn(0, titleEditor);
    connect(titleEditor, &QAbstractItemDelegate::closeEditor, this,
            &CRestoreExportPage::EndRenaming);
    connect(m_listBackups, &QTreeWidget::itemDoubleClicked, this, [this] { OnExport(); });
    connect(m_listBackups, &QWidget::customContextMenuRequested, this,
            &CRestoreExportPage::OnListRightClick);
    connect(m_listBackups, &QTreeWidget::itemSelectionChanged, this,
            &CRestoreExportPage::EnableSingleBackupCommands);

    m_btnRefresh = MakeButton("Re&fresh View", "refreshViewButton", ids::kRefreshViewButton, this);
    m_btnRestore = MakeButton(kRestore, "restoreButton", ids::kRestoreButton, this);
    KeepWidthFor(m_btnRestore, {kRestore, kCancelRestore});
    m_btnExport = MakeButton("E&xport", "exportButton", ids::kExportButton, this);
    connect(m_btnRefresh, &QPushButton::clicked, this, &CRestoreExportPage::RefreshList);
    connect(m_btnRestore, &QPushButton::clicked, this, &CRestoreExportPage::OnRestore);
    connect(m_btnExport, &QPushButton::clicked, this, &CRestoreExportPage::OnExport);

    m_status = new CConnectionStatus(
        {ids::kRestoreStatus, ids::kRestoreProgress, ids::kRestoreErrors, ids::kRestoreRate},
        CConnectionStatus::MissingText::KeepText, this);
    connect(m_status, &CConnectionStatus::progressChanged, this, [this](int percent) {
        if (m_pSheet != nullptr) m_pSheet->OnProgress(percent);
    });

    auto* pathGroup = new QGroupBox("Current Backup Path", this);
    pathGroup->setObjectName("restorePathGroup");
    m_stPath = new QLabel(pathGroup);
    m_stPath->setObjectName("restorePath");
    m_stPath->setTextFormat(Qt::PlainText);
    MakeLiveLabel(m_stPath, "Current Backup Path");
    m_stPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long folder is cut at the page's edge (the tool tip holds all of it) instead of
    // widening the window.
    m_stPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    SetControlId(m_stPath, ids::kRestorePath);
    auto* pathLayout = new QVBoxLayout(pathGroup);
    pathLayout->addWidget(m_stPath);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnRefresh);
    buttons->addStretch(1);
    buttons->addWidget(m_btnRestore);
    buttons->addWidget(m_btnExport);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_listBackups, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    layout->addWidget(pathGroup);
    setTabOrder(m_listBackups, m_btnRefresh);
    setTabOrder(m_btnRefresh, m_btnRestore);
    setTabOrder(m_btnRestore, m_btnExport);
}

void CRestoreExportPage::BuildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName("backupMenu");
    m_exportAction =
        MakeCommand("Export", "backupExportCommand",
                    {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, m_listBackups);
    m_renameAction =
        MakeCommand("Rename", "backupRenameCommand", {QKeySequence(Qt::Key_F2)}, m_listBackups);
    m_deleteAction = MakeCommand("Delete", "backupDeleteCommand",
                                 {QKeySequence(QKeySequence::Delete)}, m_listBackups);
    m_exportAction->setData(ids::kBackupExportCommand);
    m_renameAction->setData(ids::kBackupRenameCommand);
    m_deleteAction->setData(ids::kBackupDeleteCommand);
    m_menu->addAction(m_exportAction);
    m_menu->addAction(m_renameAction);
    m_menu->addAction(m_deleteAction);
    m_viewReadingsAction =
        MakeCommand("View Readings...", "backupViewReadingsCommand", {}, m_listBackups);
    m_menu->addAction(m_viewReadingsAction);
    connect(m_viewReadingsAction, &QAction::triggered, this, &CRestoreExportPage::OnViewReadings);
    connect(m_exportAction, &QAction::triggered, this, &CRestoreExportPage::OnExport);
    connect(m_renameAction, &QAction::triggered, this, &CRestoreExportPage::OnRenameBackup);
    connect(m_deleteAction, &QAction::triggered, this, &CRestoreExportPage::OnDeleteBackup);
}

void CRestoreExportPage::OnViewReadings() {
    const QList<int> rows = m_listBackups->SelectedRows();
    if (rows.isEmpty()) return;
    if (rows.size() == 1) {
        const QString title = m_listBackups->ItemText(rows.front(), 0);
        if (const std::optional<CVantrelArchive> archive = LoadBackup(rows.front())) {
            CReadingsWindow::ShowForBackup(*m_pSheet, this, *archive, title);
        }
        return;
    }
    std::vector<fs::path> files;
    for (const int row : rows) files.push_back(RowFile(row));
    LoadedHistory loaded = LoadSiteHistory(files);
    if (!loaded.history) {
        // Which of the backups it was, on a line of its own.
        m_pSheet->Prompt().Show(loaded.error + "\n" +
                                BackupTitleOf(Utf8FromPath(loaded.failed.filename())));
        std::error_code error;
        if (KindOfFile(loaded.failed, error) == FileKind::None) RefreshList();
        return;
    }
    CReadingsWindow::ShowForBackups(*m_pSheet, this, std::move(*loaded.history));
}

void CRestoreExportPage::OnSetActive() {
    ShowFolder();
    if (m_bRefresh) RefreshList();
}

void CRestoreExportPage::ShowFolder() {
    m_strFolder = ReadBackupFolder(m_pSheet->Settings(), m_pSheet->Folders());
    const QString shown = QDir::toNativeSeparators(QString::fromStdString(m_strFolder));
    SetLiveText(m_stPath, shown);
    m_stPath->setToolTip(shown);
}

fs::path CRestoreExportPage::RowFile(int row) const {
    const QTreeWidgetItem* item = m_listBackups->topLevelItem(row);
    if (item == nullptr) return {};
    return PathFromUtf8(item->data(0, kFileRole).toByteArray().toStdString());
}

void CRestoreExportPage::RefreshList() {
    if (m_bBusy) return;   // the restore reads the backup it was started on
    m_renaming = nullptr;  // an open editor closes with its row
    m_listBackups->SetColumns(strings::kBackupListColumns);
    IPrompt& prompt = m_pSheet->Prompt();
    const std::vector<BackupRow> rows = ListBackups(
        m_strFolder,
        [&prompt](const UnreadableBackup& unreadable) {
            if (!unreadable.message.empty()) prompt.Show(unreadable.message);
        },
        UnreadableRows::Keep);
    for (const BackupRow& backup : rows) {
        const int row = m_listBackups->AddItem(0, 0, QString::fromStdString(backup.title));
        if (row < 0) continue;
        QTreeWidgetItem* item = m_listBackups->topLevelItem(row);
        // The path as UTF-8 bytes: a file name that is no valid text in the platform's
        // encoding (POSIX) still reaches its file.
        const std::string utf8 = Utf8FromPath(backup.file);
        item->setData(0, kFileRole, QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size())));
        // A backup file that could not be loaded is listed by its title alone; picking it
        // says so.
        item->setData(0, kUnloadableRole, !backup.loadable);
        if (!backup.loadable) continue;
        m_listBackups->AddItemDate(row, 1, backup.dateFrom);
        m_listBackups->AddItemDate(row, 2, backup.dateTo);
        m_listBackups->AddItemInt(row, 3, backup.profileCount);
        m_listBackups->AddItemDate(row, 4, backup.backupDate);
    }
    FitColumns();
    m_bRefresh = false;
}

// A column is as wide as its title, or as its widest cell when that is wider (the locale's
// short date may name the month). The blanks that widen the first column's title give way,
// down to its widest cell, when the list would otherwise hide the last columns.
void CRestoreExportPage::FitColumns() {
    CListCtrlEx& list = *m_listBackups;
    const int columns = list.ColumnCount();
    if (columns == 0) return;
    const QFontMetrics metrics(list.font());
    const auto widthOf = [&metrics](const QString& text) {
        return metrics.horizontalAdvance(text) + 15;
    };
    // A cell needs less room around its text than a title.
    const auto cellWidthOf = [&metrics](const QString& text) {
        return metrics.horizontalAdvance(text) + 10;
    };
    int others = 0;
    int firstCells = widthOf(list.headerItem()->text(0).trimmed());
    for (int column = 0; column < columns; ++column) {
        int cells = 0;
        for (int row = 0; row < list.RowCount(); ++row)
            cells = std::max(cells, cellWidthOf(list.ItemText(row, column)));
        const int title = widthOf(list.headerItem()->text(column));
        if (column == 0) {
            firstCells = std::max(firstCells, cells);
            continue;
        }
        list.setColumnWidth(column, std::max(title, cells));
        others += list.columnWidth(column);
    }
    const int natural = std::max(widthOf(list.headerItem()->text(0)), firstCells);
    list.setColumnWidth(0, std::clamp(list.viewport()->width() - others, firstCells, natural));
}

void CRestoreExportPage::resizeEvent(QResizeEvent* event) {
    COperationPage::resizeEvent(event);
    FitColumns();
}

std::optional<CVantrelArchive> CRestoreExportPage::LoadBackup(int row) {
    const fs::path file = RowFile(row);
    LoadedBackup loaded = vantrel::LoadBackup(file);
    if (!loaded.archive) {
        const QTreeWidgetItem* item = m_listBackups->topLevelItem(row);
        const bool listedUnloadable = item != nullptr && item->data(0, kUnloadableRole).toBool();
        m_pSheet->Prompt().Show(listedUnloadable ? CouldNotOpenBackupFileText(
                                                       BackupTitleOf(Utf8FromPath(file.filename())))
                                                 : loaded.error);
        std::error_code error;
        if (KindOfFile(file, error) == FileKind::None) RefreshList();  // gone since listed
    }
    return std::move(loaded.archive);
}

void CRestoreExportPage::OnRestore() {
    if (m_bBusy) {
        m_pSheet->SetCancel(true);  // the running restore stops at the next reply
        return;
    }
    const int row = SingleSelectedRow("restore", kSelectBackupToRestore);
    IPrompt& prompt = m_pSheet->Prompt();
    if (row < 0) return;
    // Loaded before asking: the question says how many files the logger will receive, and a
    // backup that cannot be restored is not worth the question.
    const std::optional<CVantrelArchive> archive = LoadBackup(row);
    if (!archive) return;
    if (const std::string refusal = RestoreRefusal(*archive); !refusal.empty()) {
        prompt.Show(refusal);
        return;
    }
    if (prompt.Show(RestoreQuestion(*archive), texts::kRestoreWarningCaption,
                    PromptButtons::OKCancel, PromptIcon::Exclamation) != PromptAnswer::OK) {
        return;
    }

    m_pSheet->SetCancel(false);  // a stale request must not stop this restore
    SetBusy(true);
    EnableListCommands(false);
    SetCaption(m_btnRestore, kCancelRestore);
    // Back to idle on every way out, an escaping exception included.
    struct Idle {
        CRestoreExportPage& page;
        ~Idle() {
            page.SetBusy(false);
            page.EnableListCommands(true);
            page.m_pSheet->SetCancel(false);
            SetCaption(page.m_btnRestore, kRestore);
        }
    };
    int result = 0;
    {
        const Idle idle{*this};
        result = m_pSheet->RestoreLogger(this, *archive, RowFile(row));
    }
    // A port that could not be opened: why, and what to do about it.
    if (result != 1) ExplainPortFailureIfAny();
}

void CRestoreExportPage::EnableListCommands(bool enable) {
    for (QPushButton* button : {m_btnRefresh, m_btnExport}) button->setEnabled(enable);
    for (QAction* action : {m_exportAction, m_renameAction, m_deleteAction})
        action->setEnabled(enable);
    if (enable) EnableSingleBackupCommands();
}

void CRestoreExportPage::EnableSingleBackupCommands() {
    if (m_bBusy) return;
    const bool single = m_listBackups->SelectedRows().size() <= 1;
    for (QPushButton* button : {m_btnRestore, m_btnExport}) button->setEnabled(single);
    for (QAction* action : {m_exportAction, m_renameAction, m_deleteAction})
        action->setEnabled(single);
}

int CRestoreExportPage::SingleSelectedRow(const char* verb, std::string_view noneText) {
    const QList<int> rows = m_listBackups->SelectedRows();
    if (rows.size() == 1) return rows.front();
    if (rows.size() > 1) {
        m_pSheet->Prompt().Show(OneBackupOnlyText(verb));
    } else if (!noneText.empty()) {
        m_pSheet->Prompt().Show(noneText);
    }
    return -1;
}

void CRestoreExportPage::OnExport() {
    if (m_bBusy) return;  // a double click or Enter while a restore runs
    const int row = SingleSelectedRow("export", kSelectBackupToExport);
    if (row < 0) return;
    const QString title = m_listBackups->ItemText(row, 0);
    const std::optional<CVantrelArchive> archive = LoadBackup(row);
    if (!archive) return;
    RunExport(*m_pSheet, this, *archive, title);
}

void CRestoreExportPage::OnListRightClick(const QPoint& position) {
    QTreeWidgetItem* item = m_listBackups->itemAt(position);
    if (item == nullptr) return;
    // A click on a row of a selection of several keeps them all, for View Readings.
    if (!item->isSelected()) m_listBackups->setCurrentItem(item);
    item->setSelected(true);
    m_menu->exec(m_listBackups->viewport()->mapToGlobal(position));
}

void CRestoreExportPage::OnRenameBackup() {
    if (m_bBusy) return;
    const int row = SingleSelectedRow("rename");
    if (row < 0) return;
    m_renaming = m_listBackups->topLevelItem(row);
    m_renaming->setFlags(m_renaming->flags() | Qt::ItemIsEditable);
    m_listBackups->setCurrentItem(m_renaming, 0);
    m_listBackups->editItem(m_renaming, 0);
}

void CRestoreExportPage::EndRenaming() {
    if (m_renaming != nullptr) m_renaming->setFlags(m_renaming->flags() & ~Qt::ItemIsEditable);
    m_renaming = nullptr;
}

void CRestoreExportPage::OnEndLabelEdit(const fs::path& file, const QString& typed) {
    if (file.empty()) return;
    const std::string newTitle = TitleFromTyped(typed.toStdString());
    const std::string title = BackupTitleOf(Utf8FromPath(file.filename()));
    std::error_code error;
    if (!RenameBackupFile(file, title, newTitle, m_pSheet->Prompt())) {
        // The list keeps the old title; a file that has gone disappears from it.
        if (KindOfFile(file, error) == FileKind::None) RefreshList();
        return;
    }
    RefreshList();
    SelectFileRow(file.parent_path() / PathFromUtf8(newTitle + Utf8FromPath(file.extension())));
}

void CRestoreExportPage::OnDeleteBackup() {
    if (m_bBusy) return;
    const int row = SingleSelectedRow("delete", kSelectBackupToDelete);
    if (row < 0) return;
    const fs::path file = RowFile(row);
    if (DeleteBackupFile(file, BackupTitleOf(Utf8FromPath(file.filename())), m_pSheet->Prompt())) {
        RefreshList();
    }
}

void CRestoreExportPage::SelectFileRow(const fs::path& file) {
    for (int row = 0; row < m_listBackups->RowCount(); ++row) {
        if (SameFile(RowFile(row), file)) {
            m_listBackups->setCurrentItem(m_listBackups->topLevelItem(row));
            return;
        }
    }
}

void CRestoreExportPage::OnCommsStatus(std::uint32_t progress,
                                       const std::optional<std::string>& text) {
    m_status->ShowStatus(progress, text);
}

void CRestoreExportPage::OnCommsErrors(std::uint32_t count) {
    m_status->ShowErrors(count);
}

void CRestoreExportPage::OnCommsRate(std::uint32_t rate) {
    m_status->ShowRate(rate);
}

}  // namespace vantrel::app
