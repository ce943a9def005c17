// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/OperationPage.h"

#include "app/common/PageHost.h"
#include "app/common/Strings.h"
#include "app/pages/ConnectionStatus.h"
#include "link/LinkTexts.h"

namespace vantrel::app {

COperationPage::~COperationPage() {
    if (m_pSheet != nullptr) m_pSheet->DropNotifications(this);
}

bool COperationPage::OnKillActive() {
    if (!m_bBusy) return true;
    m_pSheet->Prompt().Show(strings::kLeaveWhileBusy);
    return false;
}

void COperationPage::OnNotification(const Notification& notification) {
    switch (notification.kind) {
        case NotificationKind::WM_LINK_STATUS: {
            CConnectionStatus* group = StatusGroup();
            const QString before = group != nullptr ? group->StatusText() : QString();
            OnCommsStatus(notification.value, notification.text);
            // Each new step and the outcome are said wherever the focus is; the item a step
            // works on (the file being transferred) is only shown.
            if (group != nullptr && !notification.item && group->StatusText() != before) {
                group->AnnounceStatus();
            }
            break;
        }
        case NotificationKind::WM_LINK_ERRORS:
            OnCommsErrors(notification.value);
            break;
        case NotificationKind::WM_LINK_RATE:
            OnCommsRate(notification.value);
            break;
        default:
            break;
    }
}

void COperationPage::ExplainPortFailureIfAny() {
    if (m_pSheet == nullptr) return;
    const std::string explanation = m_pSheet->ExplainPortFailure();
    if (explanation.empty()) return;
    m_pSheet->Prompt().Show(explanation, texts::kCouldNotOpenPortCaption, PromptButtons::OK,
                            PromptIcon::Information);
}

CConnectionStatus* COperationPage::StatusGroup() {
    if (statusGroup_ == nullptr) statusGroup_ = findChild<CConnectionStatus*>();
    return statusGroup_;
}

void COperationPage::SetBusy(bool busy) {
    m_bBusy = busy;
    if (m_pSheet != nullptr) m_pSheet->OnBusyChanged();
}

}  // namespace vantrel::app
