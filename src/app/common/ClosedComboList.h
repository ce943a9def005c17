// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The list of a combo box as a screen reader should see it. Qt judges whether a list item
// is showing by its place within the list's own window, which keeps its size while hidden,
// so the items of a closed list (and of a combo box on a page that is not up) are reported
// as showing. While the list is closed it is given no size, and its layout is restored as
// it opens, so that only the items of an open list are reported as showing.
// GUI thread only.

class QComboBox;

namespace vantrel::app {

// Call once the combo box has its final view (after any setView).
void KeepClosedListUnseen(QComboBox* combo);

}  // namespace vantrel::app
