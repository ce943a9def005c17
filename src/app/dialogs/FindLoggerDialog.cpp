// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/FindLoggerDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/common/LiveText.h"
#include "app/common/Mnemonic.h"
#include "app/common/PageHost.h"
#include "app/common/WindowFit.h"

namespace vantrel::app {
namespace {

constexpr const char* kCaption = "Find Logger";
constexpr const char* kOperationRunning =
    "The logger is busy with another operation. Find the logger once it has finished.";

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    SetCaption(button, caption);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CFindLoggerDialog::CFindLoggerDialog(IPageHost& sheet, std::vector<SerialPortListing> ports,
                                     QWidget* parent)
    : QDialog(parent), sheet_(sheet), ports_(std::move(ports)), probe_(sheet.Engine()) {
    setObjectName("findLoggerDialog");
    setWindowTitle(kCaption);
    setModal(true);

    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName("probeStatus");
    statusLabel_->setTextFormat(Qt::PlainText);
    statusLabel_->setWordWrap(true);
    // Room for two lines of a wrapped result, so it is never squeezed by the list below.
    statusLabel_->setMinimumHeight(statusLabel_->fontMetrics().lineSpacing() * 2 + 2);
    MakeLiveLabel(statusLabel_, QStringLiteral("Status"));
    notice_ = new LiveNotice(this);
    notice_->setObjectName("probeNotice");
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("probeProgress");
    progressBar_->setAccessibleName(QStringLiteral("Progress"));
    progressBar_->setTextVisible(false);
    auto* listLabel = new QLabel(QStringLiteral("&Ports tried:"), this);
    listLabel->setObjectName("probeResultsLabel");
    listLabel->setAccessibleName(WithoutMnemonic(listLabel->text()));
    resultList_ = new QListWidget(this);
    resultList_->setObjectName("probeResults");
    resultList_->setAccessibleName(QStringLiteral("Ports tried:"));
    listLabel->setBuddy(resultList_);

    cancelButton_ = MakeButton(QStringLiteral("&Cancel"), "cancelSearchButton", this);
    useButton_ = MakeButton(QStringLiteral("&Use These Settings"), "useFoundButton", this);
    closeButton_ = MakeButton(QStringLiteral("Cl&ose"), "closeFindButton", this);
    useButton_->setEnabled(false);
    closeButton_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(useButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(statusLabel_);
    layout->addWidget(progressBar_);
    layout->addWidget(listLabel);
    layout->addWidget(resultList_, 1);
    layout->addLayout(buttons);
    const QFontMetrics metrics = fontMetrics();
    FitToScreen(this, {metrics.averageCharWidth() * 80, metrics.height() * 16});

    connect(cancelButton_, &QPushButton::clicked, this, [this] { probe_.Cancel(); });
    connect(useButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    probe_.SetProgress([this](const std::string& port, int rate, int step, int steps) {
        OnProgress(port, rate, step, steps);
    });
}

CFindLoggerDialog::~CFindLoggerDialog() = default;

void CFindLoggerDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    // After the dialog is on screen, so that the user sees every step.
    QTimer::singleShot(0, this, &CFindLoggerDialog::RunSearch);
}

void CFindLoggerDialog::RunSearch() {
    started_ = true;
    if (searching_) return;
    if (sheet_.IsOperationRunning()) {
        SetLiveText(statusLabel_, kOperationRunning);
        notice_->Announce(kOperationRunning);
        cancelButton_->setEnabled(false);
        closeButton_->setEnabled(true);
        return;
    }
    searching_ = true;
    resultList_->clear();
    useButton_->setEnabled(false);
    closeButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    progressBar_->setRange(0,
                           std::max<int>(1, static_cast<int>(ports_.size() * kProbeRates.size())));
    progressBar_->setValue(0);
    report_ = probe_.Run(ports_);
    searching_ = false;
    ShowReport();
    if (closeWhenStopped_) QDialog::reject();
}

void CFindLoggerDialog::OnProgress(const std::string& port, int baudRate, int step, int) {
    SetLiveText(
        statusLabel_,
        QStringLiteral("Trying %1 at %2 baud...").arg(QString::fromStdString(port)).arg(baudRate));
    progressBar_->setValue(step - 1);
}

void CFindLoggerDialog::ShowReport() {
    for (const std::string& line : ProbeReportLines(report_)) {
        resultList_->addItem(QString::fromStdString(line));
    }
    QString text = QString::fromStdString(ProbeConclusion(report_));
    if (report_.found) {
        text += QStringLiteral(" Use this port and rate from now on?");
    }
    SetLiveText(statusLabel_, text);
    // The port and rate being tried are only shown; the conclusion is said.
    notice_->Announce(text);
    progressBar_->setValue(progressBar_->maximum());
    cancelButton_->setEnabled(false);
    useButton_->setEnabled(report_.found.has_value());
    closeButton_->setEnabled(true);
    (report_.found ? useButton_ : closeButton_)->setFocus();
}

void CFindLoggerDialog::reject() {
    if (searching_) {
        closeWhenStopped_ = true;
        probe_.Cancel();
        return;
    }
    QDialog::reject();
}

}  // namespace vantrel::app
