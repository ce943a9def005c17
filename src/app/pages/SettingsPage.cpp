// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/SettingsPage.h"

#include <QDir>
#include <QFileDialog>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "app/common/ClosedComboList.h"
#include "app/common/ControlIds.h"
#include "app/common/Mnemonic.h"
#include "app/common/PageHost.h"
#include "app/common/Strings.h"
#include "app/dialogs/FindLoggerDialog.h"
#include "app/help/ContextHelp.h"
#include "frontend/LoggerProbe.h"
#include "frontend/SerialPorts.h"
#include "link/PortName.h"
#include "ops/AppSettings.h"
#include "ui_SettingsPage.h"

namespace vantrel::app {
namespace {

constexpr const char* kBrowseTitle = "Browse for Vantrel Data Backup Path";
constexpr const char* kChoosePort =
    "Please choose the serial port the logger is connected to, or type its path (for "
    "example /dev/ttyUSB0).";
constexpr const char* kChooseBaudRate =
    "Please choose the baud rate at which the logger is set to communicate.";

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CSettingsPage::CSettingsPage(QWidget* parent)
    : CHelpPropPage(ids::kSettingsPage, "Settings", parent), m_ui(new Ui::SettingsPage) {
    m_ui->setupUi(this);
    setObjectName("settingsPage");
    SetControlId(m_ui->portList, ids::kPortList);
    SetControlId(m_ui->baudList, ids::kBaudList);
    SetControlId(m_ui->applyButton, ids::kApplyButton);
    SetControlId(m_ui->browseButton, ids::kBrowseFolderButton);
    SetControlId(m_ui->pathEdit, ids::kPathEdit);
    m_ui->baudList->setCurrentIndex(-1);

    connect(m_ui->portList, &QComboBox::currentIndexChanged, this,
            &CSettingsPage::OnSettingChanged);
    connect(m_ui->portList, &QComboBox::editTextChanged, this, &CSettingsPage::OnSettingChanged);
    connect(m_ui->baudList, &QComboBox::currentIndexChanged, this,
            &CSettingsPage::OnSettingChanged);
    connect(m_ui->pathEdit, &QLineEdit::textChanged, this, &CSettingsPage::OnPathChanged);
    connect(m_ui->applyButton, &QPushButton::clicked, this, &CSettingsPage::OnApplySettings);
    connect(m_ui->browseButton, &QPushButton::clicked, this, &CSettingsPage::OnBrowse);

    auto* findButton = new QPushButton(QStringLiteral("Find &Logger"), this);
    findButton->setObjectName("findLoggerButton");
    findButton->setAccessibleName(WithoutMnemonic(findButton->text()));
    findButton->setAutoDefault(false);
    m_ui->applyRow->insertWidget(0, findButton);
    setTabOrder(m_ui->baudList, findButton);
    setTabOrder(findButton, m_ui->applyButton);
    connect(findButton, &QPushButton::clicked, this, &CSettingsPage::OnFindLogger);
    m_ui->portList->SetBeforePopup([this] { FillPortList(); });
    for (QComboBox* combo : {static_cast<QComboBox*>(m_ui->portList), m_ui->baudList})
        KeepClosedListUnseen(combo);
}

CSettingsPage::~CSettingsPage() = default;

void CSettingsPage::OnSetActive() {
    if (!m_bInitialised) {
        OnInitDialog();
    } else {
        FillPortList();
    }
}

void CSettingsPage::FillPortList() {
    if (m_pSheet == nullptr) return;
    QComboBox* list = m_ui->portList;
    const QString shown = PortText();
    const bool initialising = std::exchange(m_bInitialising, true);
    list->clear();
    for (const SerialPortListing& port : m_pSheet->ListPorts()) {
        list->addItem(FromStd(port.name), FromStd(port.description));
        list->setItemData(list->count() - 1,
                          PortComboBox::Label(FromStd(port.name), FromStd(port.description)),
                          Qt::AccessibleTextRole);
    }
    // The port shown stays shown, listed or not (an adapter pulled out, a typed path).
    const int row = shown.isEmpty() ? -1 : list->findText(shown);
    list->setCurrentIndex(row);
    if (row < 0) list->setEditText(shown);
    m_bInitialising = initialising;
    ShowPortDescription();
}

void CSettingsPage::OnInitDialog() {
    m_bInitialised = true;
    FillPortList();
    m_bInitialising = true;
    ISettings& store = m_pSheet->Settings();
    const QString stored = FromStd(ReadChosenPort(store));
    if (!stored.isEmpty()) {
        ShowPort(stored);
    } else {
        const int position = ReadCommPortSelection(store);
        m_ui->portList->setCurrentIndex(position < m_ui->portList->count() ? position : -1);
        if (m_ui->portList->currentIndex() < 0) m_ui->portList->setEditText({});
    }
    store.WriteString(settings::kSettings, settings::kPort, PortText().toStdString());

    const int baud = ReadBaudIndex(store);
    m_ui->baudList->setCurrentIndex(baud >= 0 && baud < m_ui->baudList->count() ? baud : -1);
    m_ui->pathEdit->setText(
        QDir::toNativeSeparators(FromStd(ReadBackupFolder(store, m_pSheet->Folders()))));
    m_strPath = m_ui->pathEdit->text();
    m_bInitialising = false;
    ShowPortDescription();
    SetModified(false);
}

void CSettingsPage::ShowPort(const QString& port) {
    QComboBox* list = m_ui->portList;
    for (int row = 0; row < list->count(); ++row) {
        if (list->itemText(row).startsWith(port, Qt::CaseInsensitive)) {
            list->setCurrentIndex(row);
            return;
        }
    }
    // A path, or an adapter that is not plugged in now: shown and kept as it is.
    list->setCurrentIndex(-1);
    list->setEditText(port);
}

QString CSettingsPage::PortText() const {
    return m_ui->portList->currentText().trimmed();
}

int CSettingsPage::BaudIndex() const {
    return m_ui->baudList->currentIndex();
}

void CSettingsPage::ShowPortDescription() {
    const int row = m_ui->portList->findText(PortText());
    const QString description = row >= 0 ? m_ui->portList->itemData(row).toString() : QString();
    m_ui->portDescription->setText(description);
    // No empty line between the two rows when there is nothing to say about the port.
    m_ui->portDescription->setVisible(!description.isEmpty());
}

void CSettingsPage::OnSettingChanged() {
    ShowPortDescription();
    if (!m_bInitialising) SetModified(true);
}

void CSettingsPage::OnPathChanged(const QString& text) {
    if (m_bInitialising) return;
    m_strPath = text;
    SetModified(true);
}

void CSettingsPage::SetModified(bool modified) {
    m_bModified = modified;
    m_ui->applyButton->setEnabled(modified);
}

void CSettingsPage::WriteChoices() {
    ISettings& store = m_pSheet->Settings();
    WriteBackupFolder(store, m_strPath.toStdString());
    WriteLinkChoice(store, PortText().toStdString(), BaudIndex());
}

bool CSettingsPage::OnApplySettings() {
    if (PortText().isEmpty()) {
        m_pSheet->Prompt().Show(kChoosePort);
        m_ui->portList->setFocus();
        return false;
    }
    if (BaudIndex() < 0) {
        m_pSheet->Prompt().Show(kChooseBaudRate);
        m_ui->baudList->setFocus();
        return false;
    }
    // The port's existence is worth a word only when the user has just chosen it.
    const bool portChanged = PortText() != FromStd(ReadChosenPort(m_pSheet->Settings()));
    WriteChoices();
    m_pSheet->OnBackupsChanged();
    // Not saved: said in a box, and the page stays modified so that Apply can try again.
    if (!m_pSheet->SaveSettings()) return false;
    SetModified(false);

    const std::string device = DevicePathOf(PortText().toStdString());
    std::error_code error;
    if (portChanged && !std::filesystem::exists(device, error)) {
        m_pSheet->Prompt().Show("The port is saved, but " + device +
                                    " does not exist at the moment. Connect the serial "
                                    "adapter before you talk to the logger.",
                                {}, PromptButtons::OK, PromptIcon::Information);
    }
    return true;
}

void CSettingsPage::OnFindLogger() {
    std::vector<SerialPortListing> ports = m_pSheet->ListPorts();
    const std::string shown = PortText().toStdString();
    const bool listed = std::any_of(ports.begin(), ports.end(),
                                    [&shown](const auto& port) { return port.name == shown; });
    if (!shown.empty() && !listed) ports.insert(ports.begin(), SerialPortListing{shown, {}});
    CFindLoggerDialog dialog(*m_pSheet, std::move(ports), this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Found()) return;

    const LinkSettings found = *dialog.Found();
    const int baudIndex = BaudIndexOfRate(found.baudRate).value_or(-1);
    WriteLinkChoice(m_pSheet->Settings(), found.port, baudIndex);
    m_pSheet->SaveSettings();
    // Shown as stored; other edits of the page stay as they were.
    m_bInitialising = true;
    ShowPort(FromStd(found.port));
    m_ui->baudList->setCurrentIndex(baudIndex);
    m_bInitialising = false;
    ShowPortDescription();
}

void CSettingsPage::OnBrowse() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, kBrowseTitle, m_ui->pathEdit->text());
    if (folder.isEmpty()) return;
    // Takes it into m_strPath and marks the page modified.
    m_ui->pathEdit->setText(QDir::toNativeSeparators(folder));
    m_strPath = m_ui->pathEdit->text();
    SetModified(true);
}

bool CSettingsPage::OnKillActive() {
    if (!m_bModified) return true;
    const PromptAnswer answer =
        m_pSheet->Prompt().Show(strings::kSettingsModified, strings::kModifiedCaption,
                                PromptButtons::YesNo, PromptIcon::Question);
    if (answer == PromptAnswer::Yes && OnApplySettings()) return true;
    // A missing port or rate, or settings not saved: stay, fix it or answer No.
    if (answer == PromptAnswer::Yes) return false;
    ShowStoredSettings();
    return true;
}

void CSettingsPage::ShowStoredSettings() {
    ISettings& store = m_pSheet->Settings();
    m_ui->pathEdit->setText(
        QDir::toNativeSeparators(FromStd(ReadBackupFolder(store, m_pSheet->Folders()))));
    m_strPath = m_ui->pathEdit->text();
    m_bInitialising = true;
    ShowPort(FromStd(ReadChosenPort(store)));
    const int baud = ReadBaudIndex(store);
    m_ui->baudList->setCurrentIndex(baud >= 0 && baud < m_ui->baudList->count() ? baud : -1);
    m_bInitialising = false;
    ShowPortDescription();
    SetModified(false);
}

}  // namespace vantrel::app
