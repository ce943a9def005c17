// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Settings page's port list: a combo box that lets its page fill the list afresh just
// before the list opens, so that an adapter plugged in a moment ago is there to choose.

#include <QComboBox>
#include <functional>
#include <utility>

namespace vantrel::app {

class PortComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    // Called before every opening of the list (mouse, F4, Alt+Down, accessibility).
    void SetBeforePopup(std::function<void()> beforePopup) {
        beforePopup_ = std::move(beforePopup);
    }

    void showPopup() override {
        if (beforePopup_) beforePopup_();
        QComboBox::showPopup();
    }

private:
    std::function<void()> beforePopup_;
};

}  // namespace vantrel::app
