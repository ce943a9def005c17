// SPDX-License-Identifier: GPL-3.0-or-later
// The driver behind vantrel-screenshots and the GUI benchmarks: it must find widgets in
// any window, answer message boxes that wait in their own event loop, and act while a
// button's handler runs a nested wait, or the pictures it takes show the wrong moment.

#include "screenshots/ScreenDriver.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

namespace vantrel::shots {
namespace {

using namespace std::chrono_literals;

TEST(ScreenDriverFind, FindsWidgetsByNameInEveryWindowAndChecksTheirType) {
    QWidget first;
    first.setObjectName("firstWindow");
    auto* edit = new QLineEdit(&first);
    edit->setObjectName("nameEdit");
    QWidget second;
    auto* button = new QPushButton(&second);
    button->setObjectName("goButton");

    EXPECT_EQ(FindWidget<QLineEdit>("nameEdit"), edit);
    EXPECT_EQ(FindWidget<QPushButton>("goButton"), button);
    EXPECT_EQ(FindWidget<QWidget>("firstWindow"), &first);
    EXPECT_EQ(FindWidget<QPushButton>("nameEdit"), nullptr);
    EXPECT_EQ(FindWidget<QWidget>("noSuchWidget"), nullptr);
}

TEST(ScreenDriverWait, ReturnsAsSoonAsTheConditionHoldsOrFalseAtTheLimit) {
    bool flag = false;
    QTimer::singleShot(50, [&] { flag = true; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(WaitUntil([&] { return flag; }, 5s));
    EXPECT_LT(clock.elapsed(), 2000);

    clock.restart();
    EXPECT_FALSE(WaitUntil([] { return false; }, 100ms));
    EXPECT_GE(clock.elapsed(), 100);
}

TEST(MessageBoxAnswererTest, PressesTheEscapeButtonOfEachBoxAndRecordsTheTexts) {
    MessageBoxAnswerer answerer(10ms);
    EXPECT_EQ(QMessageBox::question(nullptr, "Delete", "Are you sure?",
                                    QMessageBox::Yes | QMessageBox::No),
              QMessageBox::No);
    EXPECT_EQ(QMessageBox::warning(nullptr, "Restore Warning", "Overwrite?",
                                   QMessageBox::Ok | QMessageBox::Cancel),
              QMessageBox::Cancel);
    EXPECT_EQ(QMessageBox::information(nullptr, "Note", "Done"), QMessageBox::Ok);
    EXPECT_EQ(answerer.Texts(), QStringList({"Are you sure?", "Overwrite?", "Done"}));
}

TEST(MessageBoxAnswererTest, PressesTheChosenButtonWhenTheBoxHasIt) {
    MessageBoxAnswerer answerer(10ms);
    answerer.SetAnswer(QMessageBox::Yes);
    EXPECT_EQ(QMessageBox::question(nullptr, "Delete", "Sure?", QMessageBox::Yes | QMessageBox::No),
              QMessageBox::Yes);
    // A box without that button still gets answered.
    EXPECT_EQ(QMessageBox::warning(nullptr, "Restore Warning", "Overwrite?",
                                   QMessageBox::Ok | QMessageBox::Cancel),
              QMessageBox::Cancel);
}

TEST(MessageBoxAnswererTest, ShowsTheBoxToItsObserverWhileItIsStillOpen) {
    MessageBoxAnswerer answerer(10ms);
    QSize pictureSize;
    bool wasVisible = false;
    answerer.SetOnBox([&](QMessageBox* box) {
        wasVisible = box->isVisible();
        pictureSize = box->grab().size();
    });
    QMessageBox::information(nullptr, "Note", "A box to photograph");
    EXPECT_TRUE(wasVisible);
    EXPECT_FALSE(pictureSize.isEmpty());
    EXPECT_EQ(answerer.Texts(), QStringList({"A box to photograph"}));
}

TEST(MessageBoxAnswererTest, AnswersABoxOpenedWhileAnotherIsShown) {
    MessageBoxAnswerer answerer(10ms);
    bool opened = false;
    QMessageBox::StandardButton inner = QMessageBox::NoButton;
    answerer.SetOnBox([&](QMessageBox*) {
        if (opened) return;
        opened = true;
        inner = QMessageBox::question(nullptr, "Inner", "Inner box?",
                                      QMessageBox::Yes | QMessageBox::No);
    });
    EXPECT_EQ(QMessageBox::information(nullptr, "Outer", "Outer box"), QMessageBox::Ok);
    EXPECT_EQ(inner, QMessageBox::No);
    EXPECT_EQ(answerer.Texts(), QStringList({"Inner box?", "Outer box"}));
}

// A click whose handler waits in a nested loop, as Backup's does while the backup runs.
TEST(ActWhenTest, ActsOnceInsideAHandlersNestedWaitWhenTheConditionTurnsTrue) {
    QPushButton button;
    int progress = 0;
    int progressSeenByAction = -1;
    bool actionRanInsideClick = false;
    bool insideClick = false;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        insideClick = true;
        for (progress = 0; progress <= 100; progress += 10) Pause(15ms);
        insideClick = false;
    });
    int actions = 0;
    ActWhen act([&] { return progress >= 50; },
                [&] {
                    ++actions;
                    progressSeenByAction = progress;
                    actionRanInsideClick = insideClick;
                },
                5ms);
    button.click();
    Pause(50ms);
    EXPECT_TRUE(act.Done());
    EXPECT_EQ(actions, 1);
    EXPECT_TRUE(actionRanInsideClick);
    EXPECT_GE(progressSeenByAction, 50);
    EXPECT_LT(progressSeenByAction, 100);
}

TEST(ActWhenTest, NeverActsWhenTheConditionNeverHoldsOrAfterItIsGone) {
    int actions = 0;
    {
        ActWhen act([] { return false; }, [&] { ++actions; }, 5ms);
        Pause(40ms);
        EXPECT_FALSE(act.Done());
    }
    bool ready = false;
    auto act = std::make_unique<ActWhen>([&] { return ready; }, [&] { ++actions; }, 5ms);
    act.reset();
    ready = true;
    Pause(40ms);
    EXPECT_EQ(actions, 0);
}

}  // namespace
}  // namespace vantrel::shots
