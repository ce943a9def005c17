// SPDX-License-Identifier: GPL-3.0-or-later
// The program's help: a "What's This?" text for every numbered control, a topic of its own
// for every page and dialog, and help pages whose links all lead to a page of the help.

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <map>

#include "app/GuiFixture.h"
#include "app/common/ControlIds.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/ExportDialog.h"
#include "app/help/ContextHelp.h"
#include "app/help/HelpWindow.h"

namespace vantrel::app::test {
namespace {

// Every control number of the program's windows. The numbers of the pages and dialogs
// name help topics, and the menu commands have no help of their own.
constexpr int kControlIds[] = {
    ids::kHelpButton,         ids::kCloseButton,     ids::kBackupName,
    ids::kBackupButton,       ids::kBackupProgress,  ids::kBackupStatus,
    ids::kBackupErrors,       ids::kBackupRate,      ids::kBackupPath,
    ids::kBackupList,         ids::kRestoreStatus,   ids::kRestorePath,
    ids::kRestoreErrors,      ids::kRestoreProgress, ids::kRestoreButton,
    ids::kRestoreRate,        ids::kExportButton,    ids::kRefreshViewButton,
    ids::kPortList,           ids::kApplyButton,     ids::kBaudList,
    ids::kBrowseFolderButton, ids::kPathEdit,        ids::kExportBackupName,
    ids::kExportBrowseButton, ids::kExportFileEdit,  ids::kFormatCalibrated,
    ids::kFormatScaled,       ids::kProfileList,     ids::kIdFileList,
    ids::kIdProgress,         ids::kIdStatus,        ids::kDeleteSelectedButton,
    ids::kIdRefreshButton,    ids::kAboutVersion,    ids::kAboutTitle,
    ids::kAboutCopyright,
};

constexpr int kWindowIds[] = {ids::kAboutDialog, ids::kExportDialog,      ids::kFilePage,
                              ids::kBackupPage,  ids::kRestoreExportPage, ids::kSettingsPage};

// The pages and the dialog that open a help topic of their own.
constexpr int kTopicIds[] = {ids::kBackupPage, ids::kRestoreExportPage, ids::kSettingsPage,
                             ids::kFilePage, ids::kExportDialog};

QString ReadResource(const QString& path) {
    EnsureResources();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// "qrc:/help/backup.html" -> ":/help/backup.html".
QString ResourcePathOf(const QString& url) {
    return QUrl(url).scheme() == "qrc" ? ":" + QUrl(url).path() : url;
}

QStringList HelpPages() {
    EnsureResources();
    return QDir(":/help").entryList({"*.html"}, QDir::Files, QDir::Name);
}

struct PageLinks {
    QString title;
    QStringList hrefs;
    QSet<QString> anchors;  // the names links can jump to ("#backup")
};

// The page as the help window's browser reads it.
PageLinks ReadPage(const QString& resourcePath) {
    QTextDocument document;
    document.setHtml(ReadResource(resourcePath));
    PageLinks page;
    page.title = document.metaInformation(QTextDocument::DocumentTitle);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isAnchor()) continue;
            if (!format.anchorHref().isEmpty() && !page.hrefs.contains(format.anchorHref()))
                page.hrefs << format.anchorHref();
            for (const QString& name : format.anchorNames()) page.anchors.insert(name);
        }
    }
    return page;
}

// The numbers of ".topic" lines of the pop-up file, in file order (repeats kept).
QList<int> PopUpTopics() {
    QList<int> topics;
    QString text = ReadResource(":/help/popups.txt");
    QTextStream in(&text);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (!line.startsWith(".topic ")) continue;
        bool ok = false;
        topics << line.mid(7).trimmed().toInt(&ok, 0);
        EXPECT_TRUE(ok) << "unreadable topic line: " << line.toStdString();
    }
    return topics;
}

// The numbered controls of `root` and its children, by number (window numbers left out).
void CollectControls(QWidget* root, std::map<int, QWidget*>& controls) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const int id = ControlIdOf(widget);
        if (id < 0 ||
            std::find(std::begin(kWindowIds), std::end(kWindowIds), id) != std::end(kWindowIds))
            continue;
        controls.emplace(id, widget);
    }
}

}  // namespace

TEST_F(GuiTest, EveryNumberedControlOfTheWindowsHasItsWhatsThisText) {
    MakeSheet(true);
    CAboutDlg about(&sheet());
    CExportDial exportDialog(sheet(), &sheet());
    std::map<int, QWidget*> controls;
    CollectControls(&sheet(), controls);
    CollectControls(&about, controls);
    CollectControls(&exportDialog, controls);

    // The frame's own controls are always there: the walk has found the windows' controls.
    for (const int id : {ids::kCloseButton, ids::kHelpButton, ids::kPortList, ids::kAboutVersion,
                         ids::kProfileList}) {
        EXPECT_TRUE(controls.count(id)) << "control " << id << " not found";
    }
    for (const auto& [id, widget] : controls) {
        const std::string name = widget->objectName().toStdString();
        EXPECT_FALSE(ContextHelpText(ids::HelpIdOf(id)).isEmpty())
            << "no pop-up text for control " << id << " (" << name << ")";
        EXPECT_FALSE(widget->whatsThis().isEmpty()) << name << " shows no text";
        EXPECT_TRUE(std::find(std::begin(kControlIds), std::end(kControlIds), id) !=
                    std::end(kControlIds))
            << name << " has the unknown control number " << id;
    }
}

TEST(Help, PopUpTextsAreThoseOfTheControlNumbersEachOnce) {
    const QList<int> topics = PopUpTopics();
    QSet<int> expected;
    for (const int id : kControlIds) expected.insert(ids::HelpIdOf(id));
    const QSet<int> found(topics.begin(), topics.end());

    EXPECT_EQ(topics.size(), found.size()) << "a topic number is given twice";
    for (const int helpId : expected) {
        EXPECT_TRUE(found.contains(helpId)) << "no pop-up under 0x" << std::hex << helpId;
        EXPECT_FALSE(ContextHelpText(helpId).isEmpty()) << "empty pop-up 0x" << std::hex << helpId;
    }
    for (const int helpId : found) {
        EXPECT_TRUE(expected.contains(helpId))
            << "pop-up 0x" << std::hex << helpId << " belongs to no control";
    }
}

TEST(Help, EachPageAndTheExportDialogOpenATopicOfTheirOwn) {
    const QString contents = CHelpWindow::TopicUrl(0);
    EXPECT_EQ(ReadPage(ResourcePathOf(contents)).title, "Contents");

    QSet<QString> topics;
    for (const int id : kTopicIds) {
        const QString url = CHelpWindow::TopicUrl(id);
        const QString path = ResourcePathOf(url);
        EXPECT_NE(url, contents) << "window " << id << " opens the contents";
        ASSERT_TRUE(QFile::exists(path)) << path.toStdString() << " is missing";
        EXPECT_FALSE(ReadPage(path).title.isEmpty()) << path.toStdString() << " has no title";
        topics.insert(url);
    }
    EXPECT_EQ(topics.size(), static_cast<qsizetype>(std::size(kTopicIds)));
}

TEST(Help, TheHelpWindowShowsTheTitleOfTheTopicItOpens) {
    CHelpWindow window;
    for (const int id : kTopicIds) {
        window.ShowTopic(id);
        const QString title = ReadPage(ResourcePathOf(CHelpWindow::TopicUrl(id))).title;
        EXPECT_EQ(window.CurrentTopic(), CHelpWindow::TopicUrl(id));
        EXPECT_TRUE(window.windowTitle().endsWith(" - " + title))
            << window.windowTitle().toStdString();
    }
    window.close();
}

TEST(Help, EveryLinkOfEveryPageLeadsToAPageOfTheHelp) {
    const QStringList pages = HelpPages();
    ASSERT_TRUE(pages.contains("index.html"));
    std::map<QString, PageLinks> read;
    for (const QString& page : pages) read[page] = ReadPage(":/help/" + page);

    for (const QString& page : pages) {
        const PageLinks& links = read[page];
        const std::string where = page.toStdString();
        EXPECT_FALSE(links.title.isEmpty()) << where << " has no title";
        if (page != "index.html") {
            EXPECT_TRUE(links.hrefs.contains("index.html")) << where << " has no way back";
        }
        for (const QString& href : links.hrefs) {
            const QUrl url(href);
            EXPECT_TRUE(url.scheme().isEmpty() && url.isRelative())
                << where << " leads out of the help: " << href.toStdString();
            const QString target = url.path().isEmpty() ? page : url.path();
            if (read.count(target) == 0) {
                ADD_FAILURE() << where << ": " << href.toStdString() << " leads nowhere";
                continue;
            }
            if (!url.fragment().isEmpty()) {
                EXPECT_TRUE(read[target].anchors.contains(url.fragment()))
                    << where << ": " << href.toStdString() << " has no such place";
            }
        }
    }
}

TEST(Help, TheContentsLeadToEveryTopic) {
    const PageLinks contents = ReadPage(":/help/index.html");
    for (const QString& page : HelpPages()) {
        if (page == "index.html") continue;
        EXPECT_TRUE(contents.hrefs.contains(page))
            << "the contents do not list " << page.toStdString();
    }
}

}  // namespace vantrel::app::test
