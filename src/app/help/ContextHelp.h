// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "What's This?" texts. They live in one resource file, ":/help/popups.txt", each under
// the number 0x60000 OR the number of its control:
//
//     .topic 0x60414
//     Type the name of the new backup file...
//
// A control gets its text through its control number (the property "controlId"); static
// labels and the tab bar carry no number and so show nothing.

#include <QString>

class QIcon;
class QWidget;

namespace vantrel::app {

// Registers the program's resources (help, icons); called before the first use.
void EnsureResources();

// The program's icon at every size it is drawn in (PNG pictures: Windows has no SVG reader).
QIcon ProgramIcon();

// The text under `helpId`; empty when there is none.
QString ContextHelpText(int helpId);

// Gives `widget` the control number `controlId` and its "What's This?" text.
void SetControlId(QWidget* widget, int controlId);
// The control number of `widget`, or -1 (a static label, the tab bar).
int ControlIdOf(const QWidget* widget);

}  // namespace vantrel::app
