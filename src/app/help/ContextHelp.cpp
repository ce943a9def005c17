// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help/ContextHelp.h"

#include <QFile>
#include <QHash>
#include <QIcon>
#include <QTextStream>
#include <QVariant>
#include <QWidget>

#include "app/common/ControlIds.h"

namespace vantrel::app {
namespace {

constexpr const char* kControlIdProperty = "controlId";

QHash<int, QString> LoadPopups() {
    EnsureResources();
    QHash<int, QString> texts;
    QFile file(":/help/popups.txt");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return texts;
    QTextStream in(&file);
    int current = -1;
    QStringList lines;
    const auto flush = [&] {
        if (current >= 0) texts.insert(current, lines.join('\n').trimmed());
        lines.clear();
    };
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(".topic ")) {
            flush();
            bool ok = false;
            current = line.mid(7).trimmed().toInt(&ok, 0);
            if (!ok) current = -1;
        } else if (current >= 0) {
            lines << line;
        }
    }
    flush();
    return texts;
}

}  // namespace

QString ContextHelpText(int helpId) {
    static const QHash<int, QString> texts = LoadPopups();
    return texts.value(helpId);
}

void SetControlId(QWidget* widget, int controlId) {
    widget->setProperty(kControlIdProperty, controlId);
    widget->setWhatsThis(ContextHelpText(ids::HelpIdOf(controlId)));
}

int ControlIdOf(const QWidget* widget) {
    const QVariant id = widget->property(kControlIdProperty);
    return id.isValid() ? id.toInt() : -1;
}

}  // namespace vantrel::app

// The resources live in a static library, so their registration is pulled in by hand.
static void RegisterVantrelResources() {
    Q_INIT_RESOURCE(vantrel);
}

namespace vantrel::app {

QIcon ProgramIcon() {
    EnsureResources();
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/vantrel-utilities-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

void EnsureResources() {
    static const bool registered = [] {
        RegisterVantrelResources();
        return true;
    }();
    (void)registered;
}

}  // namespace vantrel::app
