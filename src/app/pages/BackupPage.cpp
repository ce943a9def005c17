// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/BackupPage.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/common/ControlIds.h"
#include "app/common/LiveText.h"
#include "app/common/Mnemonic.h"
#include "app/common/PageHost.h"
#include "app/common/Strings.h"
#include "app/help/ContextHelp.h"
#include "app/pages/ConnectionStatus.h"
#include "base/PathText.h"
#include "data/DateTime.h"
#include "ops/AppSettings.h"
#include "ops/BackupFolder.h"
#include "ops/BackupNaming.h"

namespace vantrel::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBackup = "Backup";
// The start button and its Cancel share Alt+A.
constexpr const char* kBackupButton = "B&ackup";
constexpr const char* kCancelBackup = "C&ancel";
constexpr const char* kNameLabel = "Backup &Name:";
constexpr const char* kNameWithFolder =
    "Please enter a file name without \"/\".\nThe backup is stored in the folder shown under "
    "Current Backup Path; choose another folder on the Settings page.";
constexpr const char* kChooseAnotherFolder = "\nChoose another folder on the Settings page.";
constexpr const char* kBackupFailed = "The backup failed: %1";

}  // namespace

CBackupPage::CBackupPage(QWidget* parent) : COperationPage(ids::kBackupPage, kBackup, parent) {
    setObjectName("backupPage");
    BuildControls();
}

CBackupPage::~CBackupPage() = default;

void CBackupPage::BuildControls() {
    auto* nameLabel = new QLabel(kNameLabel, this);
    nameLabel->setAccessibleName(WithoutMnemonic(kNameLabel));
    nameLabel->setObjectName("backupNameLabel");
    m_editName = new QLineEdit(this);
    m_editName->setObjectName("backupName");
    m_editName->setAccessibleName(WithoutMnemonic(kNameLabel));
    SetControlId(m_editName, ids::kBackupName);
    nameLabel->setBuddy(m_editName);

    m_btnBackup = new QPushButton(this);
    m_btnBackup->setObjectName("backupButton");
    SetCaption(m_btnBackup, kBackupButton);
    m_btnBackup->setAutoDefault(false);
    KeepWidthFor(m_btnBackup, {kBackupButton, kCancelBackup});
    SetControlId(m_btnBackup, ids::kBackupButton);
    connect(m_btnBackup, &QPushButton::clicked, this, &CBackupPage::OnBackup);

    m_status = new CConnectionStatus(
        {ids::kBackupStatus, ids::kBackupProgress, ids::kBackupErrors, ids::kBackupRate},
        CConnectionStatus::MissingText::KeepText, this);
    connect(m_status, &CConnectionStatus::progressChanged, this, [this](int percent) {
        if (m_pSheet != nullptr) m_pSheet->OnProgress(percent);
    });
    // The button leads the row of the transfer lines, below the progress bar.
    if (auto* row = qobject_cast<QBoxLayout*>(m_status->TransferRow())) {
        row->insertWidget(0, m_btnBackup);
        row->insertSpacing(1, m_btnBackup->fontMetrics().averageCharWidth() * 2);
    }

    auto* pathGroup = new QGroupBox("Current Backup Path", this);
    pathGroup->setObjectName("backupPathGroup");
    m_stPath = new QLabel(pathGroup);
    m_stPath->setObjectName("backupPath");
    m_stPath->setTextFormat(Qt::PlainText);
    MakeLiveLabel(m_stPath, "Current Backup Path");
    m_stPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long folder is cut at the page's edge (the tool tip holds all of it) instead of
    // widening the window.
    m_stPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    SetControlId(m_stPath, ids::kBackupPath);
    auto* pathLayout = new QVBoxLayout(pathGroup);
    pathLayout->addWidget(m_stPath);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(m_editName, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(m_status);
    layout->addWidget(pathGroup);
    layout->addStretch(1);
    setTabOrder(m_editName, m_btnBackup);
}

void CBackupPage::OnSetActive() {
    if (!m_bNamed) {
        m_bNamed = true;
        m_editName->setText(QString::fromStdString(DefaultBackupName(CurrentLocalTime())));
    }
    ShowFolder();
}

std::string CBackupPage::ShowFolder() {
    const std::string folder = ReadBackupFolder(m_pSheet->Settings(), m_pSheet->Folders());
    const QString shown = QDir::toNativeSeparators(QString::fromStdString(folder));
    SetLiveText(m_stPath, shown);
    m_stPath->setToolTip(shown);
    return folder;
}

bool CBackupPage::CheckBeforeBackup(const QString& typed, const std::string& folder) {
    IPrompt& prompt = m_pSheet->Prompt();
    const std::string name = typed.toStdString();
    if (const std::string problem = BackupNameProblem(name); !problem.empty()) {
        prompt.Show(problem);
        m_editName->setFocus();
        return false;
    }
    if (typed.contains('/')) {
        prompt.Show(kNameWithFolder);
        m_editName->setFocus();
        return false;
    }
    // A backup is only worth downloading when it can be stored: the folder is there and
    // writable, and the name fits the file system.
    if (const std::string problem = BackupFolderProblem(folder, WithBackupExtension(name));
        !problem.empty()) {
        prompt.Show(problem + kChooseAnotherFolder);
        return false;
    }
    return true;
}

void CBackupPage::OnBackup() {
    if (m_bBusy) {
        // The running backup stops at the logger's next answer.
        m_pSheet->SetCancel(true);
        return;
    }
    const QString typed = m_editName->text();
    const std::string folder = ShowFolder();
    if (!CheckBeforeBackup(typed, folder)) return;
    const BackupTarget target =
        ResolveBackupTarget(folder, typed.toStdString(), TakenNamesIn(folder));
    m_editName->setText(QString::fromStdString(target.name));

    SetBusy(true);
    SetButtonCaption(kCancelBackup);
    // Back to idle on every way out, an escaping exception included. No busy cursor: the
    // Cancel button must stay usable while the backup runs.
    struct Idle {
        CBackupPage& page;
        ~Idle() {
            page.SetBusy(false);
            page.m_pSheet->SetCancel(false);
            page.SetButtonCaption(kBackupButton);
        }
    };
    int result = 0;
    try {
        const Idle idle{*this};
        result = m_pSheet->BackupLogger(this, target.path);
    } catch (const std::exception& error) {
        m_pSheet->Prompt().Show(QString(kBackupFailed).arg(error.what()).toStdString());
        return;
    }
    if (result == 1) {
        m_pSheet->OnBackupsChanged();
        // The operation never replaces a file: a name taken meanwhile became the next free
        // one, which the name box shows, unless a name was typed there during the backup.
        const fs::path& written = m_pSheet->LastBackupPath();
        if (!written.empty() && m_editName->text() == QString::fromStdString(target.name)) {
            m_editName->setText(QString::fromStdString(FileNamePart(Utf8FromPath(written))));
        }
        return;
    }
    ExplainPortFailureIfAny();
}

void CBackupPage::SetButtonCaption(const QString& caption) {
    SetCaption(m_btnBackup, caption);
}

void CBackupPage::OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) {
    m_status->ShowStatus(progress, text);
}

void CBackupPage::OnCommsErrors(std::uint32_t count) {
    m_status->ShowErrors(count);
}

void CBackupPage::OnCommsRate(std::uint32_t rate) {
    m_status->ShowRate(rate);
}

}  // namespace vantrel::app
