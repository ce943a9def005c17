// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-render-icon: renders a scalable icon into the PNG sizes of an icon theme.
//
//     vantrel-render-icon INPUT.svg OUTPUT_FOLDER NAME SIZE...
//
// writes OUTPUT_FOLDER/<SIZE>x<SIZE>/apps/NAME.png for each SIZE, the layout of the
// hicolor theme, so the folder can be installed as it is.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <cstdio>

namespace {

constexpr int kMinSize = 8;
constexpr int kMaxSize = 1024;

// A square picture of the whole drawing, on a transparent background.
QImage Render(QSvgRenderer& renderer, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image;
}

// Writes through a temporary file, so an interrupted build never leaves half a PNG behind
// that the next build would take as up to date.
bool Save(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

int main(int argc, char** argv) {
    // No screen is needed, and a build machine often has none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: vantrel-render-icon INPUT.svg OUTPUT_FOLDER NAME SIZE...\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QDir output(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);

    QList<int> sizes;
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < kMinSize || size > kMaxSize) {
            std::fprintf(stderr, "vantrel-render-icon: not a size from %d to %d: %s\n", kMinSize,
                         kMaxSize, argv[i]);
            return 2;
        }
        sizes.append(size);
    }

    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "vantrel-render-icon: cannot read the drawing %s\n",
                     qPrintable(input));
        return 1;
    }
    for (const int size : sizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = output.filePath(folder + "/" + name + ".png");
        if (!output.mkpath(folder) || !Save(Render(renderer, size), path)) {
            std::fprintf(stderr, "vantrel-render-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
