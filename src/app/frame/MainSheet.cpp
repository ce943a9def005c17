// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frame/MainSheet.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <cstdlib>
#include <thread>

#include "app/common/ControlIds.h"
#include "app/common/Strings.h"
#include "app/common/WindowFit.h"
#include "app/dialogs/AboutDialog.h"
#include "app/frame/WindowMenu.h"
#include "app/help/ContextHelp.h"
#include "app/help/HelpWindow.h"
#include "app/pages/BackupPage.h"
#include "app/pages/FilePage.h"
#include "app/pages/RestoreExportPage.h"
#include "app/pages/SettingsPage.h"
#include "base/PathText.h"
#include "data/VantrelArchive.h"
#include "frontend/RestoreRecord.h"
#include "ops/RestorePlan.h"

namespace vantrel::app {
namespace {

// The sheet whose operation an exit() must end, and the thread it runs on.
CMainSheet* gLiveSheet = nullptr;
std::thread::id gSheetThread;

void EndOperationAtExit() {
    if (gLiveSheet != nullptr && std::this_thread::get_id() == gSheetThread) {
        gLiveSheet->EndAtProcessExit();
    }
}

// The sheet is a plain widget, which assistive technology would take for a client area:
// it is the program's window, named by its caption.
QAccessibleInterface* SheetAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(CMainSheet::staticMetaObject.className()) &&
        object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

// Registered once, when the first operation starts: later than the registrations of what
// the operations use, so that those are still there when it runs.
void CMainSheet::WatchProcessExit() {
    static const bool registered = std::atexit(EndOperationAtExit) == 0;
    (void)registered;
}

CMainSheet::CMainSheet(Environment environment, QWidget* parent)
    : QWidget(parent),
      settings_(environment.settings),
      folders_(environment.folders),
      listPorts_(std::move(environment.listPorts)),
      messageBoxes_(this, [this] { queue_.DrainPending(); }),
      prompt_(environment.prompt != nullptr ? *environment.prompt : messageBoxes_),
      session_(
          LinkServices{queue_, clock_, prompt_, log_},
          [this] { return ReadLinkSettings(settings_); }, environment.portFactory),
      restoreRecords_(settings_) {
    EnsureResources();
    setObjectName("mainSheet");
    setWindowTitle(strings::kProgramTitle);  // also the window's accessible name
    static const bool accessibleAsWindow = [] {
        QAccessible::installFactory(SheetAccessible);
        return true;
    }();
    (void)accessibleAsWindow;
    setWindowIcon(ProgramIcon());
    session_.operations().SetCompletionSignal([] { QApplication::beep(); });

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("pages");
    tabs_->setAccessibleName("Pages");
    tabs_->tabBar()->installEventFilter(this);

    backupPage_ = new CBackupPage;
    restoreExportPage_ = new CRestoreExportPage;
    settingsPage_ = new CSettingsPage;
    AddPage(backupPage_);
    AddPage(restoreExportPage_);
    AddPage(settingsPage_);
    if (environment.withIdTags) {
        filePage_ = new CFilePage;
        AddPage(filePage_);
    }
    connect(tabs_, &QTabWidget::currentChanged, this, &CMainSheet::OnCurrentChanged);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    BuildButtonStrip();
    auto* strip = new QHBoxLayout;
    strip->addStretch(1);
    strip->addWidget(closeButton_);
    strip->addWidget(helpButton_);
    layout->addLayout(strip);

    // Ctrl+PgDn and Ctrl+PgUp turn the pages as Ctrl+Tab and Ctrl+Shift+Tab do, through the
    // same refusal while a page is busy.
    const auto turnPage = [this](int step) {
        tabs_->setCurrentIndex((tabs_->currentIndex() + step + tabs_->count()) % tabs_->count());
    };
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this), &QShortcut::activated,
            this, [turnPage] { turnPage(1); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this), &QShortcut::activated,
            this, [turnPage] { turnPage(-1); });
    pages_.front()->OnSetActive();
    const QFontMetrics metrics(font());
    FitToScreen(this, {metrics.averageCharWidth() * 96, metrics.height() * 30});
    KeepGivenSize(this);
    QTimer::singleShot(0, this, &CMainSheet::ShowCutOffRestoreNotice);
    gLiveSheet = this;
    gSheetThread = std::this_thread::get_id();
}

CMainSheet::~CMainSheet() {
    if (gLiveSheet == this) gLiveSheet = nullptr;
    delete helpWindow_;
    // The pages go first: they drop their queued notifications from the queue. The tab
    // widget is cut loose before, so that its signals and its tab bar's events, which come
    // while it is being destroyed, no longer reach the sheet.
    QTabWidget* tabs = std::exchange(tabs_, nullptr);
    disconnect(tabs, nullptr, this, nullptr);
    tabs->tabBar()->removeEventFilter(this);
    delete tabs;
}

void CMainSheet::AddPage(CHelpPropPage* page) {
    page->SetSheet(this);
    pages_.push_back(page);
    // A page that does not fit a small or dense screen scrolls, so the window never needs more
    // than the screen holds.
    auto* scroller = new QScrollArea(tabs_);
    scroller->setObjectName(page->objectName() + "Scroller");
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);  // no tab stop of its own: Tab goes to the controls
    scroller->setWidgetResizable(true);
    scroller->setWidget(page);
    // Each page's caption starts with a letter of its own: Alt+B, Alt+R, Alt+S, Alt+I.
    tabs_->addTab(scroller, '&' + page->Caption());
}

void CMainSheet::BuildButtonStrip() {
    closeButton_ = new QPushButton(strings::kClose, this);
    closeButton_->setObjectName("closeButton");
    closeButton_->setAccessibleName("Close");
    closeButton_->setAutoDefault(false);
    SetControlId(closeButton_, ids::kCloseButton);
    connect(closeButton_, &QPushButton::clicked, this, &CMainSheet::OnCloseButton);

    // Linux window managers own the window menu, so the About command sits with the help
    // commands on the Help button; on Windows it moves to the system menu when the window is
    // first shown (showEvent).
    helpButton_ = new QPushButton(strings::kHelp, this);
    helpButton_->setObjectName("helpButton");
    helpButton_->setAccessibleName("Help");
    helpButton_->setAutoDefault(false);
    SetControlId(helpButton_, ids::kHelpButton);
    helpMenu_ = new QMenu(helpButton_);
    helpMenu_->setObjectName("helpMenu");
    QAction* topics = helpMenu_->addAction(strings::kHelpTopics);
    topics->setObjectName("helpTopicsAction");
    topics->setShortcut(QKeySequence::HelpContents);
    connect(topics, &QAction::triggered, this, [this] { ShowHelp(ActivePage()->PageId()); });
    addAction(topics);  // F1 anywhere in the window: the one owner of the key
    QAction* whatsThis = QWhatsThis::createAction(helpMenu_);
    whatsThis->setText(strings::kWhatsThis);
    whatsThis->setObjectName("whatsThisAction");
    helpMenu_->addAction(whatsThis);
    addAction(whatsThis);  // Shift+F1 anywhere in the window
    helpMenu_->addSeparator();
    aboutAction_ = helpMenu_->addAction(strings::kAboutCommand);
    aboutAction_->setObjectName("aboutAction");
    connect(aboutAction_, &QAction::triggered, this, &CMainSheet::ShowAbout);
    helpButton_->setMenu(helpMenu_);
}

CHelpPropPage* CMainSheet::ActivePage() const {
    return pages_.at(static_cast<size_t>(activeIndex_));
}

bool CMainSheet::SetActivePage(CHelpPropPage* page) {
    const auto found = std::find(pages_.begin(), pages_.end(), page);
    if (found == pages_.end()) return false;
    const int index = static_cast<int>(found - pages_.begin());
    tabs_->setCurrentIndex(index);
    return activeIndex_ == index;
}

bool CMainSheet::MayLeaveActivePage() {
    if (!ActivePage()->OnKillActive()) return false;
    leaveApproved_ = true;
    return true;
}

// A click on another tab asks the page being left before the tab changes, so a busy page
// never disappears from view.
bool CMainSheet::eventFilter(QObject* watched, QEvent* event) {
    if (tabs_ != nullptr && watched == tabs_->tabBar() &&
        event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int index = tabs_->tabBar()->tabAt(mouse->position().toPoint());
        if (index >= 0 && index != activeIndex_ && mouse->button() == Qt::LeftButton &&
            !MayLeaveActivePage()) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Enter presses the focused push button, as on the property pages of Windows (a button
// that is not a dialog's default leaves Enter to its parents, which end here).
void CMainSheet::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (enter && event->modifiers() == Qt::NoModifier && button != nullptr && button->isEnabled() &&
        isAncestorOf(button)) {
        button->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

// Every other way to another page (Ctrl+Tab, Ctrl+PgUp/PgDn, the tab bar's arrow keys, a
// screen reader's "switch" action) has already turned the stack: the page being left is
// put back at once, before anything is painted, and only then asked, so its refusal
// shows over the busy page, never over the other one.
void CMainSheet::OnCurrentChanged(int index) {
    if (index == activeIndex_ || index < 0) return;
    if (!std::exchange(leaveApproved_, false)) {
        {
            const QSignalBlocker block(tabs_);
            tabs_->setCurrentIndex(activeIndex_);
        }
        if (!MayLeaveActivePage()) return;
        tabs_->setCurrentIndex(index);  // OnCurrentChanged again, now approved
        return;
    }
    activeIndex_ = index;
    ActivePage()->OnSetActive();
}

bool CMainSheet::AnyPageBusy() const {
    for (const CHelpPropPage* page : pages_) {
        if (page->IsBusy()) return true;
    }
    return operationRunning_;
}

bool CMainSheet::CanClose() {
    if (AnyPageBusy()) {
        prompt_.Show(strings::kCloseWhileBusy);
        return false;
    }
    if (settingsPage_->IsModified()) {
        const PromptAnswer answer =
            prompt_.Show(strings::kSettingsModified, strings::kModifiedCaption,
                         PromptButtons::YesNo, PromptIcon::Question);
        if (answer == PromptAnswer::Yes) {
            settingsPage_->WriteChoices();
            SaveSettings();  // closes after saying so when they could not be saved
        }
    }
    return true;
}

bool CMainSheet::SaveSettings() {
    if (settings_.Sync()) return true;
    std::string text = strings::kSettingsNotSaved;
    text.append("\n\n").append(settings_.Problem());
    prompt_.Show(text, {}, PromptButtons::OK, PromptIcon::Stop);
    return false;
}

void CMainSheet::OnCloseButton() {
    if (!CanClose()) return;
    closeApproved_ = true;
    close();
}

void CMainSheet::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (windowMenuTried_) return;
    windowMenuTried_ = true;
    if (AddToWindowMenu(this, strings::kAboutCommand, [this] { ShowAbout(); })) {
        aboutAction_->setVisible(false);
    }
}

void CMainSheet::closeEvent(QCloseEvent* event) {
    if (ending_) {
        // No question while ending; a running operation ends first, then the program.
        if (AnyPageBusy()) {
            event->ignore();
        } else {
            if (helpWindow_) helpWindow_->close();
            event->accept();
        }
        return;
    }
    if (std::exchange(closeApproved_, false) || CanClose()) {
        if (helpWindow_) helpWindow_->close();
        event->accept();
    } else {
        event->ignore();
    }
}

void CMainSheet::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

CHelpWindow* CMainSheet::HelpWindow() const {
    return helpWindow_.data();
}

void CMainSheet::ShowHelp(int topicId) {
    // A window of its own, not a child of the sheet: a dialog that blocks the sheet (the
    // export dialog) leaves the help it opened usable.
    if (!helpWindow_) helpWindow_ = new CHelpWindow(nullptr);
    helpWindow_->ShowTopic(topicId);
}

void CMainSheet::OnBusyChanged() {
    if (!AnyPageBusy()) progress_ = -1;
    UpdateTitle();
    if (ending_) FinishEndingWhenIdle();
}

void CMainSheet::EndOnRequest(int status) {
    if (ending_) return;
    ending_ = true;
    endStatus_ = status;
    messageBoxes_.SetUnattended(true);
    // The same request as the Cancel button's: the operation stops at the logger's next
    // answer and ends by its own path.
    session_.operations().NoteProgramEnding();
    if (AnyPageBusy()) SetCancel(true);
    // Dialogs and boxes that are open return, so that the code that opened them ends too
    // (a box answered so gives the answer that changes nothing).
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog != nullptr && dialog->isVisible()) dialog->reject();
    }
    FinishEndingWhenIdle();
}

void CMainSheet::EndAtProcessExit() {
    if (!operationRunning_) return;
    ending_ = true;
    messageBoxes_.SetUnattended(true);
    queue_.DetachFromQt();
    session_.operations().EndSuspendedRestore();
    settings_.Sync();
}

void CMainSheet::FinishEndingWhenIdle() {
    if (AnyPageBusy() || endQueued_) return;
    endQueued_ = true;
    // Queued: the handler of the operation that just ended returns first.
    QTimer::singleShot(0, this, [this] {
        if (helpWindow_) helpWindow_->close();
        emit ended(endStatus_);
    });
}

void CMainSheet::ShowCutOffRestoreNotice() {
    if (ending_) return;  // kept for a start that can show it
    const std::string notice = restoreRecords_.TakeNotices();
    if (notice.empty()) return;
    prompt_.Show(notice, texts::kRestoreIncompleteCaption, PromptButtons::OK,
                 PromptIcon::Exclamation);
}

void CMainSheet::OnBackupsChanged() {
    restoreExportPage_->SetRefresh();
}

void CMainSheet::OnProgress(int percent) {
    if (!AnyPageBusy()) return;
    progress_ = transferRunning_
                    ? session_.operations().WholePercent(static_cast<std::uint32_t>(percent))
                    : percent;
    UpdateTitle();
}

// While an operation runs the title shows its page and progress, which the task bar
// shows too: "42% Backup - Vantrel Utilities".
void CMainSheet::UpdateTitle() {
    QString title = strings::kProgramTitle;
    for (const CHelpPropPage* page : pages_) {
        if (!page->IsBusy()) continue;
        const QString caption = page->Caption();
        title = (progress_ >= 0 ? QString::number(progress_) + "% " : QString()) + caption + " - " +
                title;
        break;
    }
    setWindowTitle(title);
}

}  // namespace vantrel::app
