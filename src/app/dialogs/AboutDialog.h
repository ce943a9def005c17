// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CAboutDlg: "About Vantrel Utilities": the program's name, "Version %s" with the version
// the command-line tool prints too, the copyright and the licence.

#include <QDialog>

namespace vantrel::app {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static QString VersionLine();
    static QString CopyrightLine();
};

}  // namespace vantrel::app
