// SPDX-License-Identifier: GPL-3.0-or-later
// Every window opens within the available area of the screen and can be made as small as
// that area: CTest runs this once per screen the program must serve (1280x800 at scale 1
// and 2, 1024x768 at scale 1; see tests/app/CMakeLists.txt), on the offscreen platform
// with a screen of that size.

#include <QGuiApplication>
#include <QScreen>

#include "app/GuiFixture.h"
#include "app/common/WindowFit.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/ExportDialog.h"
#include "app/dialogs/FindLoggerDialog.h"
#include "app/help/HelpWindow.h"
#include "app/pages/HelpPage.h"
#include "app/readings/ReadingsWindow.h"
#include "ops/TestArchives.h"

namespace vantrel::app::test {
namespace {

TEST_F(GuiTest, EveryWindowOpensWithinTheScreenAndCanShrinkToIt) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QString screen = QString("%1x%2 logical").arg(area.width()).arg(area.height());
    // The largest screen of the set is 1280x800 at scale 1: a default screen would test
    // nothing small.
    ASSERT_LE(area.width(), 1280) << screen.toStdString();

    const auto expectFits = [&](QWidget* window, const char* what) {
        window->show();
        QApplication::processEvents();
        SCOPED_TRACE(std::string(what) + " on " + screen.toStdString());
        EXPECT_LE(window->width(), area.width());
        EXPECT_LE(window->height(), area.height());
        EXPECT_LE(window->minimumSize().width(), area.width());
        EXPECT_LE(window->minimumSize().height(), area.height());
        // With the window manager's frame around it, the smallest window still fits.
        EXPECT_LE(window->minimumSizeHint().width(), AvailableRoom(window).width());
        EXPECT_LE(window->minimumSizeHint().height(), AvailableRoom(window).height());
    };

    CMainSheet& main = MakeSheet(/*withIdTags=*/true);
    expectFits(&main, "main sheet");
    for (CHelpPropPage* page : main.Pages()) {
        main.SetActivePage(page);
        expectFits(&main, page->Caption().toUtf8().constData());
    }

    // Many depths and profiles: the readings window's widest case.
    std::vector<vantrel::test::TestProfile> profiles(6);
    for (size_t i = 0; i < profiles.size(); ++i) {
        profiles[i].key = "0" + std::to_string(i + 1);
        profiles[i].readings = vantrel::test::HourlyReadings(0, 48, 16);
    }
    const CVantrelArchive archive = vantrel::test::MakeArchive(profiles);
    CExportDial exportDialog(main, &main);
    exportDialog.m_pArchive = &archive;
    expectFits(&exportDialog, "export dialog");
    exportDialog.hide();

    CReadingsWindow* readings = CReadingsWindow::ShowForBackup(main, &main, archive, "Site");
    expectFits(readings, "readings window");
    readings->close();

    main.ShowHelp(0);
    expectFits(main.HelpWindow(), "help window");

    CAboutDlg about(&main);
    expectFits(&about, "About");

    CFindLoggerDialog finder(main, {});
    expectFits(&finder, "Find Logger");
}

}  // namespace
}  // namespace vantrel::app::test
