// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CFindLoggerDialog: "Find Logger", the search for the logger's port and rate from the
// Settings page. It tries the given ports at 38400, 19200 and 9600 baud on the sheet's
// link engine while it shows which port and rate it tries; "Cancel" stops the search.
// At the end it lists every port with what happened there and, when the logger answered,
// offers "Use These Settings" (the dialog is then accepted and Found() tells which). The
// dialog stores nothing itself. GUI thread only.

#include <QDialog>
#include <optional>
#include <vector>

#include "frontend/LoggerProbe.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vantrel::app {

class IPageHost;
class LiveNotice;

class CFindLoggerDialog : public QDialog {
    Q_OBJECT
public:
    CFindLoggerDialog(IPageHost& sheet, std::vector<SerialPortListing> ports,
                      QWidget* parent = nullptr);
    ~CFindLoggerDialog() override;

    // The port and rate that answered (also when the user closed without using them).
    const std::optional<LinkSettings>& Found() const { return report_.found; }
    const ProbeReport& Report() const { return report_; }
    bool IsSearching() const { return searching_; }

    // Runs the search (the first showing starts it). Refused while an operation runs.
    void RunSearch();

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the window's close button cancel a running search instead of leaving it.
    void reject() override;

private:
    void OnProgress(const std::string& port, int baudRate, int step, int steps);
    void ShowReport();

    IPageHost& sheet_;
    std::vector<SerialPortListing> ports_;
    LoggerProbe probe_;
    ProbeReport report_;
    bool started_ = false;
    bool searching_ = false;
    bool closeWhenStopped_ = false;

    QLabel* statusLabel_ = nullptr;
    LiveNotice* notice_ = nullptr;  // the search's outcome for screen readers
    QProgressBar* progressBar_ = nullptr;
    QListWidget* resultList_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* useButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace vantrel::app
