// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/seams/QtPrompt.h"

#include <QMessageBox>
#include <QString>

#include "app/common/Strings.h"

namespace vantrel::app {
namespace {

QMessageBox::Icon ToQtIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::None:
            return QMessageBox::NoIcon;
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::Exclamation:
            return QMessageBox::Warning;
        case PromptIcon::Stop:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::OK:
            return QMessageBox::Ok;
        case PromptButtons::OKCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}

PromptAnswer FromQt(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return PromptAnswer::Cancel;
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        default:
            return PromptAnswer::OK;
    }
}

// The answer that changes nothing.
PromptAnswer SafeAnswer(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::OKCancel:
            return PromptAnswer::Cancel;
        case PromptButtons::YesNo:
            return PromptAnswer::No;
        case PromptButtons::OK:
            break;
    }
    return PromptAnswer::OK;
}

}  // namespace

QtPrompt::QtPrompt(QWidget* owner, std::function<void()> drainPending)
    : owner_(owner), drainPending_(std::move(drainPending)) {}

PromptAnswer QtPrompt::Show(std::string_view text, std::string_view caption, PromptButtons buttons,
                            PromptIcon icon) {
    if (drainPending_) drainPending_();
    if (unattended_) {
        qInfo("%.*s", static_cast<int>(text.size()), text.data());
        return SafeAnswer(buttons);
    }
    const QString title = caption.empty() ? QString::fromUtf8(strings::kProgramTitle)
                                          : QString::fromUtf8(caption.data(), caption.size());
    QMessageBox box(ToQtIcon(icon), title, QString::fromUtf8(text.data(), text.size()),
                    ToQtButtons(buttons), owner_.data());
    box.setObjectName("messageBox");
    // The first button is the default, as in the platform's message boxes.
    box.setDefaultButton(buttons == PromptButtons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    box.setEscapeButton(buttons == PromptButtons::OK      ? QMessageBox::Ok
                        : buttons == PromptButtons::YesNo ? QMessageBox::No
                                                          : QMessageBox::Cancel);
    const int button = box.exec();
    return unattended_ ? SafeAnswer(buttons) : FromQt(button);
}

}  // namespace vantrel::app
