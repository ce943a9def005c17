// SPDX-License-Identifier: GPL-3.0-or-later
// Every control of every window has an accessible name (its caption or its label), which
// is what screen readers say and what accessibility-based GUI checks look for; the lines
// that report progress are named by the text they show and send one event per change, and
// an operation's steps and outcome are announced; F1 and the keyboard's page changes behave
// in the main window. The tests named "Xcb..." also run on a real X server
// (tests/gui-smoke/xcb_tests.sh), where the offscreen platform's leniencies do not hide a
// fault.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWhatsThis>
#include <algorithm>
#include <functional>

#include "app/GuiFixture.h"
#include "app/common/ControlIds.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/ExportDialog.h"
#include "app/dialogs/FindLoggerDialog.h"
#include "app/help/HelpWindow.h"
#include "app/pages/BackupPage.h"
#include "app/pages/HelpPage.h"
#include "app/pages/RestoreExportPage.h"
#include "app/pages/SettingsPage.h"
#include "app/readings/ReadingsWindow.h"
#include "ops/TestArchives.h"

namespace vantrel::app::test {
namespace {

bool IsControlKind(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QProgressBar*>(widget) || qobject_cast<const QTabBar*>(widget);
}

// A control of the window's own, not a part of another one (a list's header, a combo box's
// drop-down list, a list's scroll bars), which its owner names.
bool IsControl(const QWidget* widget, const QWidget* window) {
    if (!IsControlKind(widget)) return false;
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != window;
         up = up->parentWidget()) {
        if (IsControlKind(up) || up->inherits("QComboBoxPrivateContainer") ||
            qobject_cast<const QAbstractScrollArea*>(up)) {
            return false;
        }
    }
    return true;
}

// The controls of `window` that a screen reader would find without a name, or with a
// mnemonic's '&' in it.
QStringList Unnamed(QWidget* window) {
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!IsControl(widget, window)) continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        const QString name =
            accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
        // A caption's '&' marks its mnemonic: a screen reader would say it.
        if (name.trimmed().isEmpty() || name.contains('&')) {
            unnamed << QString("%1 (%2)").arg(widget->objectName(),
                                              widget->metaObject()->className());
        }
    }
    return unnamed;
}

TEST_F(GuiTest, EveryControlOfEveryWindowHasAnAccessibleName) {
    CMainSheet& main = MakeSheet(/*withIdTags=*/true);
    for (CHelpPropPage* page : main.Pages()) {
        main.SetActivePage(page);
        EXPECT_EQ(Unnamed(page), QStringList{}) << page->Caption().toStdString();
    }
    EXPECT_EQ(Unnamed(&main), QStringList{});

    CAboutDlg about(&main);
    EXPECT_EQ(Unnamed(&about), QStringList{});

    const CVantrelArchive archive = vantrel::test::MakeArchive({vantrel::test::TestProfile{}});
    CExportDial exportDialog(main, &main);
    exportDialog.m_pArchive = &archive;
    exportDialog.show();
    EXPECT_EQ(Unnamed(&exportDialog), QStringList{});
    exportDialog.hide();

    CReadingsWindow* readings = CReadingsWindow::ShowForBackup(main, &main, archive, "Site");
    QApplication::processEvents();
    EXPECT_EQ(Unnamed(readings), QStringList{});
    readings->close();

    CFindLoggerDialog finder(main, {});
    EXPECT_EQ(Unnamed(&finder), QStringList{});
}

// The accessibility events sent while it lives: their kind, the object they are about and,
// for an announcement (an appearing notification), the text it says.
class AccessibilityEvents {
public:
    AccessibilityEvents() {
        QAccessible::setActive(true);
        recorder_ = this;
        QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            if (recorder_ == nullptr) return;
            recorder_->seen_.append({event->type(), event->object()});
            QAccessibleInterface* accessible = event->accessibleInterface();
            if (event->type() == QAccessible::ObjectShow && accessible != nullptr &&
                accessible->role() == QAccessible::Notification) {
                recorder_->announced_ << accessible->text(QAccessible::Name);
            }
        });
    }
    ~AccessibilityEvents() {
        QAccessible::installUpdateHandler(nullptr);
        recorder_ = nullptr;
    }
    int Count(QAccessible::Event type, const QObject* object) const {
        return static_cast<int>(std::count(seen_.begin(), seen_.end(), qMakePair(type, object)));
    }
    const QStringList& Announced() const { return announced_; }

private:
    static inline AccessibilityEvents* recorder_ = nullptr;
    QList<QPair<QAccessible::Event, const QObject*>> seen_;
    QStringList announced_;
};

QString Text(QObject* object, QAccessible::Text kind) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible != nullptr ? accessible->text(kind) : QString("(none)");
}

// Screen readers speak a change of a label only where the focus is; the steps and the outcome
// of an operation they hear from wherever it is, through an announcement.
TEST_F(GuiTest, XcbProgressLinesSendOneEventPerChangeAndStepsAreAnnounced) {
    CMainSheet& main = MakeSheet();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&main)->role(), QAccessible::Window);
    EXPECT_EQ(Text(&main, QAccessible::Name), "Vantrel Utilities");

    CBackupPage* page = main.BackupPage();
    auto* status = Find<QLabel>(page, "statusLine");
    auto* errors = Find<QLabel>(page, "transferErrors");
    auto* rate = Find<QLabel>(page, "transferRate");
    auto* progress = Find<QProgressBar>(page, "progressBar");
    auto* path = Find<QLabel>(page, "backupPath");
    EXPECT_EQ(Text(status, QAccessible::Name), "Idle");
    EXPECT_EQ(Text(status, QAccessible::Description), "Status");
    EXPECT_EQ(Text(path, QAccessible::Name), QString::fromStdString(BackupFolder().string()));
    EXPECT_EQ(Text(progress, QAccessible::Name), "Progress");

    // Qt's bridge sends events once it has reached the accessibility bus (xcb_tests.sh starts
    // one); the offscreen platform has none.
    const bool sendsEvents = QGuiApplication::platformName() != "offscreen" &&
                             QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000);
    AccessibilityEvents events;
    const std::string step = "Retrieving File Info";
    const std::string done = "Backup completed (23 files)";
    page->OnNotification(Notification::Status(0, step));
    page->OnNotification(Notification::Status(40, step));  // the same step, further on
    page->OnNotification(Notification::StatusItem(50, "Retrieving PRO01.DAT00"));
    page->OnNotification(Notification::Status(100, done));
    page->OnNotification(Notification::Errors(2));
    page->OnNotification(Notification::Rate(960));
    page->OnNotification(Notification::Rate(960));  // no change, nothing to announce
    EXPECT_EQ(Text(status, QAccessible::Name), QString::fromStdString(done));
    EXPECT_EQ(Text(errors, QAccessible::Name), "Transfer Errors: 2");
    EXPECT_EQ(Text(errors, QAccessible::Description), "Transfer Errors");
    EXPECT_EQ(Text(rate, QAccessible::Name), "Transfer Rate [cps]: 960");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(progress)->valueInterface()->currentValue(),
              100);
    if (!sendsEvents) {
        GTEST_SKIP() << "no assistive technology has switched accessibility on, so Qt sends no "
                        "events to check";
    }
    // The step, the item and the outcome: one name change each; the bar's value as it moved.
    EXPECT_EQ(events.Count(QAccessible::NameChanged, status), 3);
    EXPECT_EQ(events.Count(QAccessible::NameChanged, errors), 1);
    EXPECT_EQ(events.Count(QAccessible::NameChanged, rate), 1);
    EXPECT_EQ(events.Count(QAccessible::ValueChanged, progress), 3);
    EXPECT_EQ(events.Count(QAccessible::NameChanged, progress), 0);
    EXPECT_EQ(events.Announced(),
              QStringList({QString::fromStdString(step), QString::fromStdString(done)}));
}

// Qt's warnings about shortcuts while `work` runs (an ambiguous one says so on stderr only).
QStringList WarningsDuring(const std::function<void()>& work) {
    static QStringList* warnings = nullptr;
    QStringList seen;
    warnings = &seen;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && warnings != nullptr && text.contains("hortcut")) {
                warnings->append(text);
            }
        });
    work();
    qInstallMessageHandler(previous);
    warnings = nullptr;
    return seen;
}

TEST_F(GuiTest, XcbF1OpensTheHelpOfTheCurrentPageAndShiftF1AsksWhatsThis) {
    CMainSheet& main = MakeSheet();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    main.SetActivePage(main.RestoreExportPage());
    QWidget* focus = main.RestoreExportPage()->findChild<QWidget*>("backupList");
    focus->setFocus();
    bool opened = false;
    const QStringList warnings = WarningsDuring([&] {
        QTest::keyClick(focus, Qt::Key_F1);
        opened = QTest::qWaitFor(
            [&] { return main.HelpWindow() != nullptr && main.HelpWindow()->isVisible(); });
    });
    EXPECT_EQ(warnings, QStringList{});
    ASSERT_TRUE(opened);
    EXPECT_EQ(main.HelpWindow()->CurrentTopic(), CHelpWindow::TopicUrl(ids::kRestoreExportPage));
    main.HelpWindow()->close();

    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
}

// A prompt that notes which page the sheet shows when a box comes up.
class PageWatchingPrompt : public IPrompt {
public:
    QTabWidget* tabs = nullptr;
    QList<int> shownOver;
    PromptAnswer Show(std::string_view, std::string_view, PromptButtons, PromptIcon) override {
        shownOver << (tabs != nullptr ? tabs->currentIndex() : -1);
        return PromptAnswer::OK;
    }
};

TEST_F(GuiTest, EveryWayToAnotherPageIsRefusedWhileTheBusyPageStaysInView) {
    PageWatchingPrompt watching;
    CMainSheet main({settings_, folders_, false, DefaultSerialPortFactory(), &watching,
                     [this] { return listedPorts_; }});
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    auto* tabs = Find<QTabWidget>(&main, "pages");
    watching.tabs = tabs;
    main.SetActivePage(main.RestoreExportPage());
    QTabBar* bar = tabs->tabBar();  // where Tab from the window's start lands
    bar->setFocus();
    main.RestoreExportPage()->SetBusy(true);

    QTest::keyClick(bar, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(bar, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(bar, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(bar, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(bar, Qt::Key_B, Qt::AltModifier);  // the Backup tab's mnemonic
    QAccessibleInterface* firstTab = QAccessible::queryAccessibleInterface(bar)->child(0);
    ASSERT_NE(firstTab->actionInterface(), nullptr);
    firstTab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    EXPECT_EQ(watching.shownOver, QList<int>(6, 1));
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(main.ActivePage(), main.RestoreExportPage());

    main.RestoreExportPage()->SetBusy(false);
    QTest::keyClick(bar, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(main.ActivePage(), main.SettingsPage());
    EXPECT_EQ(watching.shownOver.size(), 6);
}

}  // namespace
}  // namespace vantrel::app::test
