// SPDX-License-Identifier: GPL-3.0-or-later
// Every control of every window has an accessible name (its caption or its label), which
// is what screen readers say and what accessibility-based GUI checks look for.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabBar>

#include "app/AboutDialog.h"
#include "app/ExportDialog.h"
#include "app/FindLoggerDialog.h"
#include "app/GuiFixture.h"
#include "app/HelpPage.h"
#include "app/ReadingsWindow.h"
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

// The controls of `window` that a screen reader would find without a name.
QStringList Unnamed(QWidget* window) {
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!IsControl(widget, window)) continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        const QString name =
            accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
        if (name.trimmed().isEmpty()) {
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

}  // namespace
}  // namespace vantrel::app::test
