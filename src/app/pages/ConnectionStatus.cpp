// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pages/ConnectionStatus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/common/LiveText.h"
#include "app/common/Strings.h"
#include "app/help/ContextHelp.h"
#include "platform/Notification.h"

namespace vantrel::app {
namespace {

QLabel* MakeLine(const QString& text, const QString& name, const QString& role, int controlId,
                 QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    MakeLiveLabel(label, role);
    SetControlId(label, controlId);
    return label;
}

}  // namespace

CConnectionStatus::CConnectionStatus(const ControlIds& ids, MissingText missingText,
                                     QWidget* parent)
    : QGroupBox("Connection Status", parent), missingText_(missingText) {
    setObjectName("connectionStatus");
    auto* layout = new QVBoxLayout(this);
    status_ = MakeLine(strings::kIdle, "statusLine", "Status", ids.status, this);
    status_->setAlignment(Qt::AlignCenter);
    layout->addWidget(status_);

    progress_ = new QProgressBar(this);
    progress_->setObjectName("progressBar");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    MakeLiveProgress(progress_, "Progress");
    SetControlId(progress_, ids.progress);
    layout->addWidget(progress_);
    notice_ = new LiveNotice(this);
    notice_->setObjectName("statusNotice");

    if (ids.errors >= 0) {
        auto* row = new QHBoxLayout;
        errors_ =
            MakeLine("Transfer Errors:", "transferErrors", "Transfer Errors", ids.errors, this);
        rate_ = MakeLine("Transfer Rate (cps):", "transferRate", "Transfer Rate", ids.rate, this);
        row->addWidget(errors_, 1);
        row->addWidget(rate_, 1);
        layout->addLayout(row);
        transferRow_ = row;
    }
}

void CConnectionStatus::ShowStatus(std::uint32_t progress, const std::optional<std::string>& text) {
    if (text) {
        SetLiveText(status_, QString::fromStdString(*text));
    } else if (missingText_ == MissingText::ShowIdle) {
        SetLiveText(status_, strings::kIdle);
    }
    if (progress == kKeepProgress && missingText_ == MissingText::KeepText) return;
    const int value = static_cast<int>(std::min<std::uint32_t>(progress, 100));
    if (value != progress_->value()) {
        progress_->setValue(value);
        emit progressChanged(value);
    }
}

void CConnectionStatus::AnnounceStatus() {
    notice_->Announce(status_->text());
}

void CConnectionStatus::ShowErrors(std::uint32_t count) {
    if (errors_ != nullptr) SetLiveText(errors_, strings::kTransferErrors + QString::number(count));
}

void CConnectionStatus::ShowRate(std::uint32_t charactersPerSecond) {
    if (rate_ != nullptr)
        SetLiveText(rate_, strings::kTransferRate + QString::number(charactersPerSecond));
}

QString CConnectionStatus::StatusText() const {
    return status_->text();
}

int CConnectionStatus::Progress() const {
    return progress_->value();
}

}  // namespace vantrel::app
