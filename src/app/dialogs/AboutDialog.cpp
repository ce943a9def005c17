// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/common/ControlIds.h"
#include "app/common/Strings.h"
#include "app/help/ContextHelp.h"
#include "frontend/VersionText.h"

namespace vantrel::app {
namespace {

QLabel* AddLine(QVBoxLayout* layout, const QString& text, const char* name, int controlId) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(text);
    SetControlId(label, controlId);
    layout->addWidget(label);
    return label;
}

}  // namespace

QString CAboutDlg::VersionLine() {
    return QString("Version %1").arg(QString::fromUtf8(ProgramVersion()));
}

QString CAboutDlg::CopyrightLine() {
    return QString::fromUtf8("Copyright \u00a9 2026 The Vantrel Utilities developers");
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDialog");
    setWindowTitle("About Vantrel Utilities");
    setAccessibleName("About Vantrel Utilities");

    auto* icon = new QLabel;
    icon->setObjectName("aboutIcon");
    icon->setPixmap(ProgramIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    auto* lines = new QVBoxLayout;
    QLabel* title = AddLine(lines, strings::kProgramTitle, "aboutTitle", ids::kAboutTitle);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    AddLine(lines, VersionLine(), "aboutVersion", ids::kAboutVersion);
    AddLine(lines, CopyrightLine(), "aboutCopyright", ids::kAboutCopyright);
    QLabel* licence = AddLine(lines,
                              "This program is free software under the GNU General Public "
                              "License, version 3 or any later version "
                              "(GPL-3.0-or-later). It comes with no warranty.",
                              "aboutLicence", -1);
    licence->setWordWrap(true);
    // A wrapped line sets no width of its own: give it room for a readable line, so the
    // lines that do not wrap decide the box's width at every scale.
    licence->setMinimumWidth(licence->fontMetrics().averageCharWidth() * 48);
    QFont small = licence->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    licence->setFont(small);
    lines->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(lines, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->setObjectName("aboutButtons");
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName("OK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace vantrel::app
