// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The root of an SVG document the chart wrote, for the chart's and the readings window's
// tests.

#include <QByteArray>
#include <QXmlStreamReader>
#include <optional>

namespace vantrel::chart::test {

// The root element's attributes of an SVG document; nothing when it is not well-formed
// XML with an <svg> root.
inline std::optional<QXmlStreamAttributes> SvgRoot(const QByteArray& document) {
    QXmlStreamReader xml(document);
    std::optional<QXmlStreamAttributes> root;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && !root) {
            if (xml.name() != QLatin1String("svg")) return std::nullopt;
            root = xml.attributes();
        }
    }
    if (xml.hasError()) return std::nullopt;
    return root;
}

}  // namespace vantrel::chart::test
