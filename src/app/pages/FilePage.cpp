// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/FilePage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "app/common/ControlIds.h"
#include "app/common/ListCtrlEx.h"
#include "app/common/Mnemonic.h"
#include "app/common/PageHost.h"
#include "app/common/Strings.h"
#include "app/help/ContextHelp.h"
#include "app/pages/ConnectionStatus.h"
#include "base/AsciiText.h"

namespace vantrel::app {
namespace {

// Each button and the Cancel it turns into share a mnemonic.
constexpr const char* kRefreshView = "R&efresh View";
constexpr const char* kCancelRefresh = "Canc&el";
constexpr const char* kDeleteSelected = "De&lete Selected";
constexpr const char* kCancelDelete = "Cance&l";
constexpr const char* kDeleteWarning =
    "Warning: This will delete the selected ID file(s)\nThese files are used for a partnership "
    "between the vantrel and the downloaded databases\nDo you wish to continue?";

QPushButton* MakeButton(const QString& caption, const char* name, int controlId, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    SetCaption(button, caption);
    button->setAutoDefault(false);
    SetControlId(button, controlId);
    return button;
}

}  // namespace

CFilePage::CFilePage(QWidget* parent) : COperationPage(ids::kFilePage, "ID Tags", parent) {
    setObjectName("filePage");
    BuildControls();
}

CFilePage::~CFilePage() {
    // The operation runs inside a click on this page; it must end at the next answer.
    if (m_bBusy && m_pSheet != nullptr) m_pSheet->SetCancel(true);
}

void CFilePage::BuildControls() {
    m_listFiles = new CListCtrlEx(this);
    m_listFiles->setObjectName("idFileList");
    m_listFiles->setAccessibleName("ID Files");
    SetControlId(m_listFiles, ids::kIdFileList);
    m_listFiles->SetColumns("Name");
    // The one column fills the list; a vertical scroll bar takes its room from it.
    m_listFiles->header()->setStretchLastSection(true);
    m_listFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_listFiles, &QTreeWidget::itemSelectionChanged, this, &CFilePage::UpdateDeleteButton);

    m_btnRefresh = MakeButton(kRefreshView, "idRefreshButton", ids::kIdRefreshButton, this);
    m_btnDelete =
        MakeButton(kDeleteSelected, "deleteSelectedButton", ids::kDeleteSelectedButton, this);
    m_btnDelete->setEnabled(false);
    KeepWidthFor(m_btnRefresh, {kRefreshView, kCancelRefresh});
    KeepWidthFor(m_btnDelete, {kDeleteSelected, kCancelDelete});
    connect(m_btnRefresh, &QPushButton::clicked, this, &CFilePage::OnRefreshView);
    connect(m_btnDelete, &QPushButton::clicked, this, &CFilePage::OnDeleteSelected);

    m_status = new CConnectionStatus({ids::kIdStatus, ids::kIdProgress},
                                     CConnectionStatus::MissingText::ShowIdle, this);
    connect(m_status, &CConnectionStatus::progressChanged, this, [this](int percent) {
        if (m_pSheet != nullptr) m_pSheet->OnProgress(percent);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnRefresh);
    buttons->addWidget(m_btnDelete);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_listFiles, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    setTabOrder(m_listFiles, m_btnRefresh);
    setTabOrder(m_btnRefresh, m_btnDelete);
}

bool CFilePage::IsIdFileName(const std::string& name) {
    return name.size() >= 3 && EndsWithIgnoringCase(name, ".id");
}

void CFilePage::UpdateDeleteButton() {
    switch (m_activity) {
        case Activity::Idle:
            m_btnDelete->setEnabled(!m_listFiles->selectedItems().isEmpty());
            break;
        case Activity::Refreshing:
            m_btnDelete->setEnabled(false);
            break;
        case Activity::Deleting:
            m_btnDelete->setEnabled(true);  // it is the Cancel button now
            break;
    }
}

void CFilePage::OnRefreshView() {
    if (m_bBusy) {
        m_pSheet->SetCancel(true);
        return;
    }
    Refresh();
}

void CFilePage::Refresh() {
    if (m_bBusy) return;
    m_activity = Activity::Refreshing;
    SetCaption(m_btnRefresh, kCancelRefresh);
    m_listFiles->clear();
    UpdateDeleteButton();
    SetBusy(true);

    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    bool listed = false;
    {
        // Back to idle on every way out, an escaping exception included.
        struct Idle {
            CFilePage& page;
            ~Idle() {
                page.SetBusy(false);
                page.m_activity = Activity::Idle;
                SetCaption(page.m_btnRefresh, kRefreshView);
                page.UpdateDeleteButton();
            }
        } idle{*this};
        listed = m_pSheet->ListFiles(this, names, sizes);
        if (listed) {
            for (const std::string& name : names) {
                if (IsIdFileName(name)) {
                    m_listFiles->AddItem(m_listFiles->RowCount(), 0, QString::fromStdString(name));
                }
            }
        }
    }
    if (!listed) ExplainPortFailureIfAny();
}

void CFilePage::OnDeleteSelected() {
    if (m_bBusy) {
        m_pSheet->SetCancel(true);
        return;
    }
    const QList<int> rows = m_listFiles->SelectedRows();
    if (rows.isEmpty()) return;
    if (m_pSheet->Prompt().Show(kDeleteWarning, {}, PromptButtons::YesNo,
                                PromptIcon::Exclamation) != PromptAnswer::Yes) {
        return;
    }
    std::vector<std::string> names;
    for (const int row : rows) names.push_back(m_listFiles->ItemText(row, 0).toStdString());

    m_activity = Activity::Deleting;
    SetCaption(m_btnDelete, kCancelDelete);
    UpdateDeleteButton();
    m_btnRefresh->setEnabled(false);
    // The focus stays on the button, which is Cancel now, so the keyboard can cancel too.
    m_btnDelete->setFocus();
    SetBusy(true);
    {
        struct Idle {
            CFilePage& page;
            ~Idle() {
                page.SetBusy(false);
                page.m_activity = Activity::Idle;
                SetCaption(page.m_btnDelete, kDeleteSelected);
                page.m_btnRefresh->setEnabled(true);
                page.UpdateDeleteButton();
            }
        } idle{*this};
        m_pSheet->DeleteFiles(this, names);
    }
    // What the logger holds now, also after a deletion that stopped part-way.
    Refresh();
}

void CFilePage::OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) {
    m_status->ShowStatus(progress, text);
}

}  // namespace vantrel::app
