// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Message boxes of the desktop program: QMessageBox with the program's captions, buttons
// and icons, owned by the window that asks. Before a box is shown, every notification
// already posted is delivered, so a status text never arrives after the message it led to.

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/Prompt.h"

namespace vantrel::app {

class QtPrompt final : public IPrompt {
public:
    // `owner`: the window the boxes belong to (may be null); `drainPending` delivers what is
    // waiting in the notification queue.
    explicit QtPrompt(QWidget* owner = nullptr, std::function<void()> drainPending = {});

    using IPrompt::Show;
    PromptAnswer Show(std::string_view text, std::string_view caption, PromptButtons buttons,
                      PromptIcon icon) override;

    void SetOwner(QWidget* owner) { owner_ = owner; }

    // While the program ends on its own (a termination signal, the end of the session) no
    // box may hold it up: a box is then not shown (its text goes to the diagnostic output)
    // and is answered with the answer that changes nothing (OK, Cancel, No); a box already
    // open when this is set is answered so too, once it has been closed.
    void SetUnattended(bool unattended) { unattended_ = unattended; }
    bool IsUnattended() const { return unattended_; }

private:
    QPointer<QWidget> owner_;
    bool unattended_ = false;
    std::function<void()> drainPending_;
};

}  // namespace vantrel::app
