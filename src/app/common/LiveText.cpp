// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/common/LiveText.h"

#include <QAccessible>
#include <QLabel>
#include <QProgressBar>

namespace vantrel::app {
namespace {

QString PercentText(int value) {
    return QString::number(value) + '%';
}

void AnnounceName(QObject* object) {
    QAccessibleEvent event(object, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

void MakeLiveLabel(QLabel* label, const QString& role) {
    // No fixed accessible name: the label's own text is its name.
    label->setAccessibleName(QString());
    label->setAccessibleDescription(role);
}

void SetLiveText(QLabel* label, const QString& text) {
    if (label->text() == text) return;
    label->setText(text);
    AnnounceName(label);
}

void MakeLiveProgress(QProgressBar* bar, const QString& role) {
    bar->setAccessibleName(PercentText(bar->value()));
    bar->setAccessibleDescription(role);
}

void SetLiveProgress(QProgressBar* bar, int value) {
    if (bar->value() == value) return;
    bar->setValue(value);
    bar->setAccessibleName(PercentText(value));  // announces the name change itself
    QAccessibleValueChangeEvent event(bar, value);
    QAccessible::updateAccessibility(&event);
}

}  // namespace vantrel::app
