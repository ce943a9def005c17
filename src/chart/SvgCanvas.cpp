// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/SvgCanvas.h"

#include <QFontMetricsF>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <array>

namespace vantrel::chart {
namespace {

constexpr double kMillimetresPerPixel = 25.4 / 96.0;

// A coordinate with at most two decimals and no trailing zeros: "12.5", "7".
QString Num(double value) {
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(u'0')) text.chop(1);
    if (text.endsWith(u'.')) text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString Colour(const QColor& colour) {
    return colour.name(QColor::HexRgb);
}

// The part of the segment from `a` to `b` inside `clip` (Liang-Barsky); false when none.
bool ClipSegment(const QRectF& clip, QPointF& a, QPointF& b) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double enter = 0.0;
    double leave = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - clip.left(), clip.right() - a.x(), a.y() - clip.top(),
                         clip.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;  // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        if (enter > leave) return false;
    }
    const QPointF from = a;
    a = from + QPointF(dx, dy) * enter;
    b = from + QPointF(dx, dy) * leave;
    return true;
}

}  // namespace

QString XmlEscaped(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'&':
                escaped += QLatin1String("&amp;");
                break;
            case u'<':
                escaped += QLatin1String("&lt;");
                break;
            case u'>':
                escaped += QLatin1String("&gt;");
                break;
            case u'"':
                escaped += QLatin1String("&quot;");
                break;
            default:
                // Control characters have no place in XML 1.0 text.
                if (c.unicode() < 0x20 && c != u'\t' && c != u'\n') {
                    escaped += u' ';
                } else {
                    escaped += c;
                }
        }
    }
    return escaped;
}

SvgCanvas::SvgCanvas(QSizeF size, const QString& title, const QString& description) {
    out_.reserve(1 << 16);
    out_ +=
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
            "<svg width=\"%1mm\" height=\"%2mm\" viewBox=\"0 0 %3 %4\" "
            "xmlns=\"http://www.w3.org/2000/svg\" version=\"1.2\" baseProfile=\"tiny\">\n"
            "<title>%5</title>\n<desc>%6</desc>\n")
            .arg(QString::number(size.width() * kMillimetresPerPixel, 'f', 4),
                 QString::number(size.height() * kMillimetresPerPixel, 'f', 4), Num(size.width()),
                 Num(size.height()), XmlEscaped(title), XmlEscaped(description));
}

void SvgCanvas::FillRect(const QRectF& rect, const QColor& colour) {
    const QRectF shown = clips_.empty() ? rect : rect.intersected(clips_.back());
    if (shown.isEmpty()) return;
    out_ += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
                .arg(Num(shown.x()), Num(shown.y()), Num(shown.width()), Num(shown.height()),
                     Colour(colour));
}

void SvgCanvas::StrokeRect(const QRectF& rect, const QPen& pen) {
    const std::array corners = {rect.topLeft(), rect.topRight(), rect.bottomRight(),
                                rect.bottomLeft(), rect.topLeft()};
    Polyline(corners.data(), corners.size(), pen);
}

void SvgCanvas::WritePolyline(const std::vector<QPointF>& points, const QString& stroke) {
    if (points.empty()) return;
    out_ += stroke;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) out_ += u' ';
        out_ += Num(points[i].x());
        out_ += u',';
        out_ += Num(points[i].y());
    }
    out_ += QLatin1String("\"/>\n");
}

void SvgCanvas::Polyline(const QPointF* points, std::size_t count, const QPen& pen) {
    if (count == 0) return;
    const QString stroke = QStringLiteral(
                               "<polyline fill=\"none\" stroke=\"%1\" stroke-width=\"%2\" "
                               "stroke-linejoin=\"round\" points=\"")
                               .arg(Colour(pen.color()), Num(pen.widthF()));
    if (clips_.empty()) {
        WritePolyline(std::vector<QPointF>(points, points + count), stroke);
        return;
    }
    // The line cut to the clip: one polyline for each stretch that stays inside.
    const QRectF& clip = clips_.back();
    std::vector<QPointF> run;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        QPointF a = points[i];
        QPointF b = points[i + 1];
        if (!ClipSegment(clip, a, b)) {
            WritePolyline(run, stroke);
            run.clear();
            continue;
        }
        if (!run.empty() && run.back() != a) {
            WritePolyline(run, stroke);
            run.clear();
        }
        if (run.empty()) run.push_back(a);
        run.push_back(b);
        // A segment that leaves the clip ends the stretch.
        if (b != points[i + 1]) {
            WritePolyline(run, stroke);
            run.clear();
        }
    }
    WritePolyline(run, stroke);
}

void SvgCanvas::Dot(const QPointF& centre, qreal radius, const QColor& colour) {
    if (!clips_.empty() && !clips_.back().contains(centre)) return;
    out_ += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                .arg(Num(centre.x()), Num(centre.y()), Num(radius), Colour(colour));
}

void SvgCanvas::Text(const QRectF& box, int align, const QString& text, const QFont& font,
                     const QColor& colour, bool turned) {
    if (!clips_.empty() && !clips_.back().intersects(box)) return;
    const QFontMetricsF metrics(font);
    const QStringList lines = text.split(u'\n');
    // Turned text is laid out in an upright box about the same centre, then rotated.
    const QRectF area = turned
                            ? QRectF(box.center().x() - box.height() / 2,
                                     box.center().y() - box.width() / 2, box.height(), box.width())
                            : box;
    const double lineHeight = metrics.lineSpacing();
    const double height = lineHeight * static_cast<double>(lines.size());
    double top = area.top();
    if (align & Qt::AlignBottom) {
        top = area.bottom() - height;
    } else if (align & Qt::AlignVCenter) {
        top = area.center().y() - height / 2;
    }
    QString anchor = QStringLiteral("start");
    double x = area.left();
    if (align & Qt::AlignRight) {
        anchor = QStringLiteral("end");
        x = area.right();
    } else if (align & Qt::AlignHCenter) {
        anchor = QStringLiteral("middle");
        x = area.center().x();
    }
    QString attributes =
        QStringLiteral("font-family=\"%1\" font-size=\"%2\" fill=\"%3\" text-anchor=\"%4\"")
            .arg(XmlEscaped(font.family()), Num(font.pixelSize() > 0 ? font.pixelSize() : 12),
                 Colour(colour), anchor);
    if (font.bold()) attributes += QLatin1String(" font-weight=\"bold\"");
    if (turned) {
        attributes += QStringLiteral(" transform=\"rotate(-90 %1 %2)\"")
                          .arg(Num(box.center().x()), Num(box.center().y()));
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const double baseline = top + lineHeight * static_cast<double>(i) + metrics.ascent();
        out_ += QStringLiteral("<text x=\"%1\" y=\"%2\" %3>%4</text>\n")
                    .arg(Num(x), Num(baseline), attributes, XmlEscaped(lines[i]));
    }
}

void SvgCanvas::ClipBegin(const QRectF& clip) {
    clips_.push_back(clips_.empty() ? clip : clip.intersected(clips_.back()));
}

void SvgCanvas::ClipEnd() {
    if (!clips_.empty()) clips_.pop_back();
}

QByteArray SvgCanvas::Finish() {
    out_ += QLatin1String("</svg>\n");
    return out_.toUtf8();
}

}  // namespace vantrel::chart
