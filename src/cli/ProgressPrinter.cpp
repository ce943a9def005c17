// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ProgressPrinter.h"

#include "cli/TerminalText.h"

namespace vantrel::cli {
namespace {
// A terminal is redrawn at most this often unless the status text changes.
constexpr std::chrono::milliseconds kRedrawInterval{100};
constexpr const char* kClearToEnd = "\x1b[K";
}  // namespace

ProgressPrinter::ProgressPrinter(std::ostream& out, bool live, std::size_t width)
    : out_(out), live_(live), width_(width == 0 ? 80 : width) {}

void ProgressPrinter::OnNotification(const Notification& notification) {
    switch (notification.kind) {
        case NotificationKind::WM_LINK_STATUS:
            OnStatus(notification);
            break;
        case NotificationKind::WM_LINK_ERRORS:
            state_.errors = notification.value;
            Redraw(false);
            break;
        case NotificationKind::WM_LINK_RATE:
            state_.rate = notification.value;
            state_.rateKnown = true;
            Redraw(false);
            break;
        default:
            break;
    }
}

void ProgressPrinter::OnStatus(const Notification& notification) {
    bool textChanged = false;
    const std::string text = notification.text ? PrintableText(*notification.text) : "";
    if (!text.empty() && text != state_.status) {
        state_.status = text;
        textChanged = true;
        if (!live_) out_ << state_.status << "\n" << std::flush;
    }
    if (notification.value != kKeepProgress) state_.percent = notification.value;
    Redraw(textChanged);
}

void ProgressPrinter::Redraw(bool force) {
    if (!live_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && lineShown_ && now - lastDraw_ < kRedrawInterval) return;
    // The last column stays free: writing into it makes some terminals wrap.
    out_ << "\r" << FormatProgressLine(state_, width_ - 1) << kClearToEnd << std::flush;
    lineShown_ = true;
    lastDraw_ = now;
}

void ProgressPrinter::ClearLine() {
    if (!live_ || !lineShown_) return;
    out_ << "\r" << kClearToEnd << std::flush;
    lineShown_ = false;
}

void ProgressPrinter::Finish() {
    if (!live_) return;
    ClearLine();
    if (!state_.status.empty()) out_ << state_.status << "\n" << std::flush;
}

}  // namespace vantrel::cli
