// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/ExportDialog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QWhatsThis>
#include <algorithm>
#include <optional>
#include <string>

#include "app/common/ControlIds.h"
#include "app/common/ListCtrlEx.h"
#include "app/common/PageHost.h"
#include "app/common/Strings.h"
#include "app/common/WindowFit.h"
#include "app/help/ContextHelp.h"
#include "app/readings/ReadingsWindow.h"
#include "data/VantrelArchive.h"
#include "ops/ExportFileName.h"
#include "ui_ExportDialog.h"

namespace vantrel::app {
namespace {

constexpr const char* kSelectProfileText = "Please select at least one profile to export";
constexpr const char* kBrowseCaption = "Save As";
constexpr QChar kSeparator = u'/';

// Where the file browser opens: the folder of the name in the edit (a bare name is taken
// as a folder); empty when that is no folder, so the browser opens where it would anyway.
QString BrowseFolderOf(const QString& text) {
    const qsizetype slash = text.lastIndexOf(kSeparator);
    const QString folder = slash < 0 ? text : slash == 0 ? QString(kSeparator) : text.left(slash);
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() ? info.absoluteFilePath() : QString();
}

}  // namespace

CExportDial::CExportDial(IPageHost& sheet, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::ExportDialog), m_sheet(sheet) {
    m_ui->setupUi(this);
    setObjectName("exportDialog");
    SetControlId(m_ui->exportBackupName, ids::kExportBackupName);
    SetControlId(m_ui->exportBrowseButton, ids::kExportBrowseButton);
    SetControlId(m_ui->exportFileEdit, ids::kExportFileEdit);
    SetControlId(m_ui->profileList, ids::kProfileList);
    SetControlId(m_ui->formatCalibrated, ids::kFormatCalibrated);
    SetControlId(m_ui->formatScaled, ids::kFormatScaled);

    CListCtrlEx* list = m_ui->profileList;
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->SetSortedByFirstColumn(true);
    // The chosen rows stay as plain to see while the focus is on the file name or a button.
    QPalette palette = list->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    list->setPalette(palette);

    QPushButton* ok = m_ui->exportButtons->button(QDialogButtonBox::Ok);
    ok->setAccessibleName("OK");
    ok->setDefault(true);
    m_ui->exportButtons->button(QDialogButtonBox::Cancel)->setAccessibleName("Cancel");
    m_ui->exportBrowseButton->setAutoDefault(false);

    // A double click on a profile shows its readings (the window is the dialog's own).
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int row = m_ui->profileList->indexOfTopLevelItem(item);
        if (m_pArchive != nullptr && row >= 0) {
            CReadingsWindow::ShowForBackup(m_sheet, this, *m_pArchive, m_strBackup,
                                           static_cast<int>(m_ui->profileList->ItemData(row)));
        }
    });
    connect(m_ui->exportBrowseButton, &QPushButton::clicked, this, &CExportDial::OnBrowse);
    connect(m_ui->exportButtons, &QDialogButtonBox::accepted, this, &CExportDial::OnOK);
    connect(m_ui->exportButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // F1: the dialog's help topic; Shift+F1: "What's This?" for its controls.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { m_sheet.ShowHelp(ids::kExportDialog); });
    addAction(QWhatsThis::createAction(this));
}

CExportDial::~CExportDial() = default;

CListCtrlEx* CExportDial::ProfileList() const {
    return m_ui->profileList;
}

void CExportDial::showEvent(QShowEvent* event) {
    if (!m_bInitialised) OnInitDialog();
    QDialog::showEvent(event);
}

void CExportDial::OnInitDialog() {
    m_bInitialised = true;
    m_ui->exportBackupName->setText(m_strBackup);
    m_ui->exportBackupName->setAccessibleName(m_strBackup);
    m_ui->exportFileEdit->setText(m_strFile);
    if (m_nFormat == 0) m_ui->formatCalibrated->setChecked(true);
    if (m_nFormat == 1) m_ui->formatScaled->setChecked(true);

    CListCtrlEx* list = m_ui->profileList;
    list->SetColumns(strings::kProfileListColumns);
    list->SetColumnAlignment(0, Qt::AlignRight);  // profile numbers line up
    FillProfileList();
    list->clearSelection();

    // Every column as wide as its title or its widest cell (the dates of the user's
    // locale can be longer than the titles allow), the list wide enough for all of them.
    int width = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < list->ColumnCount(); ++column) {
        const int titleWidth = list->columnWidth(column);
        list->resizeColumnToContents(column);
        const int contentsWidth =
            list->columnWidth(column) + list->fontMetrics().averageCharWidth();
        list->setColumnWidth(column, std::max(titleWidth, contentsWidth));
        width += list->columnWidth(column);
    }
    list->setMinimumWidth(width);
    list->header()->setStretchLastSection(true);  // the chosen rows marked across the list
    // Six rows at least: more scroll, and the dialog still fits a small or dense screen.
    list->setMinimumHeight(list->header()->sizeHint().height() + 6 * list->fontMetrics().height());
    // Room for a folder and a file name of usual length.
    m_ui->exportFileEdit->setMinimumWidth(m_ui->exportFileEdit->fontMetrics().averageCharWidth() *
                                          56);
    FitToScreen(this, sizeHint());
}

void CExportDial::FillProfileList() {
    if (m_pArchive == nullptr) return;
    CListCtrlEx* list = m_ui->profileList;
    for (int i = 0; i < m_pArchive->GetProfileCount(); ++i) {
        // The first column's text places the row: "%3d" sorts numbers below 1000 in order.
        const int row = list->AddItem(0, 0, QString::asprintf("%3d", m_pArchive->GetProfileNo(i)));
        list->AddItemDate(row, 1, m_pArchive->GetFirstDate(i));
        list->AddItemDate(row, 2, m_pArchive->GetLastDate(i));
        list->AddItemInt(row, 3, m_pArchive->GetReadingCount(i));
        list->SetItemData(row, i);
    }
}

QString CExportDial::StripProfileSuffix(const QString& path) {
    static const QString kMarker = QStringLiteral(" (Pro");
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    // The marker is looked for in the file's own name, and a bare name may not start with it.
    const qsizetype nameStart = path.lastIndexOf(kSeparator) + 1;
    const qsizetype at = path.indexOf(kMarker, nameStart);
    if (at < 0 || at == 0 || path.size() - at < 8) return path;
    if (!isDigit(path[at + 5]) || !isDigit(path[at + 6]) || path[at + 7] != u')') return path;
    return path.left(at) + path.mid(at + 8);
}

void CExportDial::OnBrowse() {
    QFileDialog browser(this, kBrowseCaption);
    browser.setObjectName("exportBrowser");
    browser.setAcceptMode(QFileDialog::AcceptSave);
    browser.setFileMode(QFileDialog::AnyFile);
    // An existing file is the usual choice: the export appends to it.
    browser.setOption(QFileDialog::DontConfirmOverwrite);
    browser.setNameFilters(
        {"Comma Delimited Files (*.csv)", "Text Files (*.txt)", "All Files (*)"});
    browser.setDefaultSuffix("csv");
    const QString folder = BrowseFolderOf(m_ui->exportFileEdit->text());
    if (!folder.isEmpty()) browser.setDirectory(folder);
    browser.selectFile(m_strBackup);
    if (browser.exec() != QDialog::Accepted) return;
    const QStringList chosen = browser.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return;
    m_ui->exportFileEdit->setText(StripProfileSuffix(chosen.front()));
}

void CExportDial::OnOK() {
    QLineEdit* edit = m_ui->exportFileEdit;
    const std::optional<std::string> checked = CheckExportFileName(edit->text().toStdString());
    if (!checked) {
        m_sheet.Prompt().Show(kEnterExportFilenameText);
        edit->setFocus();
        return;
    }
    const QString name = QString::fromStdString(*checked);
    edit->setText(name);
    if (const std::string problem = ExportNameProblem(*checked); !problem.empty()) {
        m_sheet.Prompt().Show(problem);
        edit->setFocus();
        return;
    }

    const QList<int> rows = m_ui->profileList->SelectedRows();
    if (rows.isEmpty()) {
        m_sheet.Prompt().Show(kSelectProfileText);
        m_ui->profileList->setFocus();
        return;
    }
    for (int row : rows) m_aProfiles.push_back(static_cast<int>(m_ui->profileList->ItemData(row)));
    if (m_ui->formatCalibrated->isChecked()) m_nFormat = 0;
    if (m_ui->formatScaled->isChecked()) m_nFormat = 1;
    m_strFile = name;
    accept();
}

}  // namespace vantrel::app
