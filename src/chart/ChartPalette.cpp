// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ChartPalette.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vantrel::chart {

QColor DepthColour(int sensor, int sensors) {
    // Hues from red (0) to violet (0.75); yellows and greens are darkened a little so that
    // they stand out on white.
    const double position = sensors <= 1 ? 0.0 : static_cast<double>(sensor) / (sensors - 1);
    const double hue = 0.75 * position;
    const double brightness = (hue > 0.10 && hue < 0.45) ? 0.70 : 0.85;
    return QColor::fromHsvF(static_cast<float>(hue), 0.85f, static_cast<float>(brightness));
}

QList<QRgb> ChartPalette(const std::vector<QColor>& colours) {
    QList<QRgb> table{qRgb(255, 255, 255)};
    const int count = std::max<int>(1, static_cast<int>(colours.size()));
    const int steps = std::clamp(255 / count, 1, 16);
    for (const QColor& colour : colours) {
        for (int step = 1; step <= steps && table.size() < 256; ++step) {
            const double share = static_cast<double>(step) / steps;
            const auto blend = [share](int channel) {
                return static_cast<int>(std::lround(255.0 + (channel - 255.0) * share));
            };
            table.append(qRgb(blend(colour.red()), blend(colour.green()), blend(colour.blue())));
        }
    }
    return table;
}

QImage ToPalette(const QImage& image, const QList<QRgb>& table) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(table);
    indexed.setDevicePixelRatio(image.devicePixelRatio());
    // The nearest entry of each colour met (to 5 bits a channel, finer than the palette's
    // steps), found once: an antialiased chart has some thousands of colours, nearly all of
    // its pixels white.
    std::vector<int> nearest(std::size_t{1} << 15, -1);
    const auto indexOf = [&](QRgb pixel) {
        const std::size_t key = (static_cast<std::size_t>(qRed(pixel) >> 3) << 10) |
                                (static_cast<std::size_t>(qGreen(pixel) >> 3) << 5) |
                                static_cast<std::size_t>(qBlue(pixel) >> 3);
        if (nearest[key] >= 0) return static_cast<uchar>(nearest[key]);
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (qsizetype i = 0; i < table.size(); ++i) {
            const int dr = qRed(pixel) - qRed(table[i]);
            const int dg = qGreen(pixel) - qGreen(table[i]);
            const int db = qBlue(pixel) - qBlue(table[i]);
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        nearest[key] = best;
        return static_cast<uchar>(best);
    };
    // The sizes and lines taken once: QImage's accessors are calls into the library.
    const int width = rgb.width();
    const int height = rgb.height();
    const qsizetype inStride = rgb.bytesPerLine();
    const qsizetype outStride = indexed.bytesPerLine();
    const uchar* inBits = rgb.constBits();
    uchar* outBits = indexed.bits();
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(inBits + y * inStride);
        uchar* out = outBits + y * outStride;
        // Run by run of one colour (most of a line is white).
        for (int x = 0; x < width;) {
            const QRgb colour = in[x];
            const int end = static_cast<int>(
                std::find_if(in + x + 1, in + width, [colour](QRgb p) { return p != colour; }) -
                in);
            std::memset(out + x, indexOf(colour), static_cast<std::size_t>(end - x));
            x = end;
        }
    }
    return indexed;
}

}  // namespace vantrel::chart
