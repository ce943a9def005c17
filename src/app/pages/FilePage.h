// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CFilePage: the "ID Tags" page. It lists the ID files on the logger (names ending in
// ".id", in the logger's order) and deletes the chosen ones there. Nothing is stored on
// the computer. "Refresh View" connects and lists; "Delete Selected" asks, connects,
// deletes and lists again. While either runs (inside its click), its button reads
// "Cancel" and asks the operation to stop at the logger's next answer.

#include <QString>
#include <string>

#include "app/pages/OperationPage.h"

class QPushButton;

namespace vantrel::app {

class CConnectionStatus;
class CListCtrlEx;

class CFilePage : public COperationPage {
    Q_OBJECT
public:
    explicit CFilePage(QWidget* parent = nullptr);
    // Destroyed while an operation runs: asks it to stop.
    ~CFilePage() override;

    // "Refresh View": lists the logger's ID files, or, while busy, asks to cancel.
    void OnRefreshView();
    // "Delete Selected": deletes the selected ID files after asking, then lists again;
    // while busy, asks to cancel.
    void OnDeleteSelected();

    // True when `name` names an ID file: its last three characters are ".id" in any case.
    static bool IsIdFileName(const std::string& name);

protected:
    void OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) override;

private:
    enum class Activity { Idle, Refreshing, Deleting };

    void BuildControls();
    void Refresh();
    // "Delete Selected" is usable when rows are selected and nothing runs, and as
    // "Cancel" while a deletion runs.
    void UpdateDeleteButton();

    Activity m_activity = Activity::Idle;
    QPushButton* m_btnRefresh = nullptr;
    QPushButton* m_btnDelete = nullptr;
    CConnectionStatus* m_status = nullptr;
    CListCtrlEx* m_listFiles = nullptr;
};

}  // namespace vantrel::app
