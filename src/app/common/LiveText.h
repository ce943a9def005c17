// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts that report what is happening (status lines, transfer lines, the progress bar,
// a page's current folder) as a screen reader should hear them: the accessible name is the
// text the user sees, a fixed word such as "Status" is the accessible description, and a
// change is announced through the accessibility bus without moving the focus.
// GUI thread only.

#include <QString>

class QLabel;
class QProgressBar;

namespace vantrel::app {

// Makes `label` a live line described by `role`; its accessible name follows its text.
void MakeLiveLabel(QLabel* label, const QString& role);
// Shows `text` in `label` and announces it when it differs from the text shown.
void SetLiveText(QLabel* label, const QString& text);

// Makes `bar` a live progress bar described by `role`; its name is the percentage shown.
void MakeLiveProgress(QProgressBar* bar, const QString& role);
// Moves `bar` to `value` and announces the new value and name when it changed.
void SetLiveProgress(QProgressBar* bar, int value);

}  // namespace vantrel::app
