// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help/HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/common/ControlIds.h"
#include "app/common/Strings.h"
#include "app/common/WindowFit.h"

namespace vantrel::app {
namespace {

const char* TopicFile(int topicId) {
    switch (topicId) {
        case ids::kBackupPage:
            return "backup.html";
        case ids::kRestoreExportPage:
            return "restore-export.html";
        case ids::kSettingsPage:
            return "settings.html";
        case ids::kFilePage:
            return "id-tags.html";
        case ids::kExportDialog:
            return "export-dialog.html";
        default:
            return "index.html";
    }
}

QPushButton* AddButton(QHBoxLayout* row, const QString& text, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setAccessibleName(QString(text).remove('&'));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

}  // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("helpWindow");
    setWindowTitle(QString(strings::kProgramTitle) + " Help");
    setAccessibleName("Help");

    browser_ = new QTextBrowser;
    browser_->setObjectName("helpBrowser");
    browser_->setAccessibleName("Help text");
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({":/help"});

    auto* row = new QHBoxLayout;
    QPushButton* back = AddButton(row, "&Back", "helpBack");
    QPushButton* forward = AddButton(row, "&Forward", "helpForward");
    QPushButton* contents = AddButton(row, "&Contents", "helpContents");
    row->addStretch(1);
    QPushButton* close = AddButton(row, "&Close", "helpClose");
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(0); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(QString(strings::kProgramTitle) + " Help" +
                       (title.isEmpty() ? QString() : " - " + title));
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(browser_, 1);
    const int em = fontMetrics().averageCharWidth();
    FitToScreen(this, {em * 90, fontMetrics().height() * 36});
}

QString CHelpWindow::TopicUrl(int topicId) {
    return QString("qrc:/help/") + TopicFile(topicId);
}

QString CHelpWindow::CurrentTopic() const {
    return browser_->source().toString();
}

void CHelpWindow::ShowTopic(int topicId) {
    browser_->setSource(QUrl(TopicUrl(topicId)));
    show();
    raise();
    activateWindow();
}

}  // namespace vantrel::app
