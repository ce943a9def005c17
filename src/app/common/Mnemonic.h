// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Captions with a mnemonic ("B&ackup": Alt+A presses the button). The accessible name is
// the caption without its '&', which is what a screen reader says and the user sees.

#include <QAbstractButton>
#include <QString>
#include <algorithm>
#include <initializer_list>

namespace vantrel::app {

inline QString WithoutMnemonic(const QString& caption) {
    QString plain = caption;
    return plain.remove('&');
}

// Gives `button` the caption and the accessible name that goes with it.
inline void SetCaption(QAbstractButton* button, const QString& caption) {
    button->setText(caption);
    button->setAccessibleName(WithoutMnemonic(caption));
}

// A button whose caption changes (Backup / Cancel) keeps one width: the widest of them.
inline void KeepWidthFor(QAbstractButton* button, std::initializer_list<QString> captions) {
    const QString shown = button->text();
    int width = 0;
    for (const QString& caption : captions) {
        button->setText(caption);
        width = std::max(width, button->sizeHint().width());
    }
    button->setText(shown);
    button->setMinimumWidth(width);
}

}  // namespace vantrel::app
