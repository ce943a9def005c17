// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The help window: the program's HTML help, kept in the program's resources, in a
// QTextBrowser with Back, Forward and Contents. One window serves every topic.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vantrel::app {

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows and raises the window on the topic of page or dialog `topicId` (0, or a number
    // without a topic of its own: the contents).
    void ShowTopic(int topicId);
    // "qrc:/help/backup.html" for the Backup page's number.
    static QString TopicUrl(int topicId);
    QString CurrentTopic() const;

private:
    QTextBrowser* browser_;
};

}  // namespace vantrel::app
