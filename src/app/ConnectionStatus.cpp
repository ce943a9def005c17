// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConnectionStatus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ContextHelp.h"
#include "app/Strings.h"
#include "platform/Notification.h"

namespace vantrel::app {
namespace {

QLabel* MakeLine(const QString& text, const QString& name, int controlId, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(text);
    SetControlId(label, controlId);
    return label;
}

}  // namespace

CConnectionStatus::CConnectionStatus(const ControlIds& ids, MissingText missingText,
                                     QWidget* parent)
    : QGroupBox("Connection Status", parent), missingText_(missingText) {
    setObjectName("connectionStatus");
    auto* layout = new QVBoxLayout(this);
    status_ = MakeLine(strings::kIdle, "statusLine", ids.status, this);
    status_->setAlignment(Qt::AlignCenter);
    status_->setAccessibleName("Status");
    status_->setTextFormat(Qt::PlainText);
    layout->addWidget(status_);

    progress_ = new QProgressBar(this);
    progress_->setObjectName("progressBar");
    progress_->setAccessibleName("Progress");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    SetControlId(progress_, ids.progress);
    layout->addWidget(progress_);

    if (ids.errors >= 0) {
        auto* row = new QHBoxLayout;
        errors_ = MakeLine("Transfer Errors:", "transferErrors", ids.errors, this);
        rate_ = MakeLine("Transfer Rate (cps):", "transferRate", ids.rate, this);
        errors_->setAccessibleName("Transfer Errors");
        rate_->setAccessibleName("Transfer Rate");
        row->addWidget(errors_, 1);
        row->addWidget(rate_, 1);
        layout->addLayout(row);
        transferRow_ = row;
    }
}

void CConnectionStatus::ShowStatus(std::uint32_t progress, const std::optional<std::string>& text) {
    if (text) {
        const QString shown = QString::fromStdString(*text);
        if (status_->text() != shown) status_->setText(shown);
    } else if (missingText_ == MissingText::ShowIdle) {
        status_->setText(strings::kIdle);
    }
    if (progress == kKeepProgress && missingText_ == MissingText::KeepText) return;
    const int value = static_cast<int>(std::min<std::uint32_t>(progress, 100));
    if (value != progress_->value()) {
        progress_->setValue(value);
        emit progressChanged(value);
    }
}

void CConnectionStatus::ShowErrors(std::uint32_t count) {
    if (errors_ != nullptr) errors_->setText(strings::kTransferErrors + QString::number(count));
}

void CConnectionStatus::ShowRate(std::uint32_t charactersPerSecond) {
    if (rate_ != nullptr)
        rate_->setText(strings::kTransferRate + QString::number(charactersPerSecond));
}

QString CConnectionStatus::StatusText() const {
    return status_->text();
}

int CConnectionStatus::Progress() const {
    return progress_->value();
}

}  // namespace vantrel::app
