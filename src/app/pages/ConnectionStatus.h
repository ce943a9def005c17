// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Connection Status" group of the operation pages: the status line, the progress bar
// (0 to 100) and, on the Backup and Restore / Export pages, the transfer-error and
// transfer-rate lines; and the notice through which screen readers hear the status line's
// steps wherever the focus is.

#include <QGroupBox>
#include <cstdint>
#include <optional>
#include <string>

class QLabel;
class QProgressBar;

namespace vantrel::app {

class LiveNotice;

class CConnectionStatus : public QGroupBox {
    Q_OBJECT
public:
    struct ControlIds {
        int status;
        int progress;
        int errors = -1;  // -1: the group has no transfer lines (ID Tags page)
        int rate = -1;
    };
    // How a status notification without a text is shown.
    enum class MissingText { KeepText, ShowIdle };

    CConnectionStatus(const ControlIds& ids, MissingText missingText, QWidget* parent = nullptr);

    // A text that differs from the one shown replaces it; the progress moves unless it
    // is kKeepProgress (the ID Tags page moves it always, clamped to the bar's range).
    void ShowStatus(std::uint32_t progress, const std::optional<std::string>& text);
    // Tells screen readers the status line's text (without moving the focus).
    void AnnounceStatus();
    void ShowErrors(std::uint32_t count);
    void ShowRate(std::uint32_t charactersPerSecond);

    QString StatusText() const;
    int Progress() const;
    // The row of the transfer lines, where a page may put its start button in front.
    QLayout* TransferRow() const { return transferRow_; }

signals:
    // The progress shown changed (the sheet shows it in the window title).
    void progressChanged(int percent);

private:
    MissingText missingText_;
    QLabel* status_;
    QProgressBar* progress_;
    LiveNotice* notice_;
    QLabel* errors_ = nullptr;
    QLabel* rate_ = nullptr;
    QLayout* transferRow_ = nullptr;
};

}  // namespace vantrel::app
