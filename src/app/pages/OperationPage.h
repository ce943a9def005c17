// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COperationPage: a page that starts logger operations (Backup, Restore / Export, ID
// Tags). While its operation runs the page is busy: it refuses to be left, the sheet
// refuses to close, and its start button acts as Cancel. It receives the operation's
// link notifications (status, transfer errors, transfer rate) on the GUI thread, and has
// screen readers told of each step and the outcome that its status line shows.

#include <cstdint>
#include <optional>
#include <string>

#include "app/pages/HelpPage.h"
#include "platform/Notification.h"

namespace vantrel::app {

class CConnectionStatus;

class COperationPage : public CHelpPropPage, public INotificationTarget {
    Q_OBJECT
public:
    using CHelpPropPage::CHelpPropPage;
    // Drops what is still queued for the page.
    ~COperationPage() override;

    bool IsBusy() const override { return m_bBusy; }
    // Refused while busy, with "You must close communications before navigating to a
    // different page".
    bool OnKillActive() override;

    // WM_LINK_STATUS, WM_LINK_ERRORS and WM_LINK_RATE to the handlers below; a status
    // that changes the text of the page's Connection Status group, and names no item
    // (Notification::item), is announced by the group.
    void OnNotification(const Notification& notification) override;

    // Marks the page busy (or idle again) and tells the sheet, which updates its title.
    void SetBusy(bool busy);

    // After an operation: when it could not open the serial port, says why and what to do
    // about it (a missing device, a port in use, membership of the port's group) in an
    // information box. Nothing when the port opened.
    void ExplainPortFailureIfAny();

protected:
    // `progress` is 0..100 or kKeepProgress; no text: leave the text unchanged.
    virtual void OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) = 0;
    virtual void OnCommsErrors(std::uint32_t) {}
    virtual void OnCommsRate(std::uint32_t) {}

    bool m_bBusy = false;

private:
    // The page's Connection Status group, found among its children at first use.
    CConnectionStatus* StatusGroup();

    CConnectionStatus* statusGroup_ = nullptr;
};

}  // namespace vantrel::app
