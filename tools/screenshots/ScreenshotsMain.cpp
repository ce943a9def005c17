// vantrel-screenshots: saves a picture of each page of the desktop program, of the About
// box and of the help window, as a user would see them, for review and documentation.
//
//     vantrel-screenshots OUTPUT_FOLDER
//
// Run it with QT_SCALE_FACTOR=2 for the high-density pictures; the settings come from the
// user's store, so point XDG_CONFIG_HOME at a folder of its own (scripts/screenshots.sh).

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/AboutDialog.h"
#include "app/HelpPage.h"
#include "app/HelpWindow.h"
#include "app/MainSheet.h"
#include "platform/qt/QtSettings.h"
#include "platform/qt/QtSpecialFolders.h"

using namespace vantrel;
using namespace vantrel::app;

namespace {

bool Save(QWidget* widget, const QDir& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = folder.filePath(name + ".png");
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "vantrel-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

QString FileNameOf(const QString& caption) {
    QString name = caption.toLower();
    name.replace(" / ", "-").replace(' ', '-');
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantrel-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(".")) return 1;

    QtSettings store;
    QtSpecialFolders folders;
    CMainSheet sheet(CMainSheet::Environment{store, folders, /*withIdTags=*/true});
    sheet.show();
    bool saved = true;
    for (CHelpPropPage* page : sheet.Pages()) {
        sheet.SetActivePage(page);
        saved = Save(&sheet, folder, "page-" + FileNameOf(page->Caption())) && saved;
    }
    sheet.SetActivePage(sheet.Pages().front());

    CAboutDlg about(&sheet);
    about.show();
    saved = Save(&about, folder, "about") && saved;
    about.close();

    CHelpWindow help;
    help.ShowTopic(sheet.Pages().front()->PageId());
    saved = Save(&help, folder, "help-backup") && saved;
    return saved ? 0 : 1;
}
