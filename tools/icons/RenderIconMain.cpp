// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-render-icon: renders a scalable icon into the PNG sizes of an icon theme.
//
//     vantrel-render-icon INPUT.svg OUTPUT_FOLDER NAME SIZE...
//
// writes OUTPUT_FOLDER/<SIZE>x<SIZE>/apps/NAME.png for each SIZE, the layout of the
// hicolor theme, so the folder can be installed as it is.
//
//     vantrel-render-icon --ico INPUT.svg OUTPUT.ico SIZE...
//
// writes one Windows icon file holding every SIZE (each picture stored as PNG, which
// Windows reads since Vista and windres copies as it is). A size above 256 cannot be
// stored in an icon file.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <cstdio>
#include <cstring>

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

void PutLittleEndian(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// An icon file: a header, one 16-byte entry per picture, then the PNG data of each.
bool SaveIco(QSvgRenderer& renderer, const QList<int>& sizes, const QString& path) {
    QList<QByteArray> pictures;
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !Render(renderer, size).save(&buffer, "PNG")) {
            return false;
        }
        pictures.append(png);
    }
    QByteArray out;
    PutLittleEndian(out, 0, 2);  // reserved
    PutLittleEndian(out, 1, 2);  // an icon, not a cursor
    PutLittleEndian(out, static_cast<quint32>(sizes.size()), 2);
    quint32 offset = 6 + 16 * static_cast<quint32>(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const quint32 side = sizes[i] >= 256 ? 0 : static_cast<quint32>(sizes[i]);  // 0 is 256
        PutLittleEndian(out, side, 1);                                              // width
        PutLittleEndian(out, side, 1);                                              // height
        PutLittleEndian(out, 0, 1);                                                 // no palette
        PutLittleEndian(out, 0, 1);                                                 // reserved
        PutLittleEndian(out, 1, 2);                                                 // colour planes
        PutLittleEndian(out, 32, 2);  // bits per pixel
        PutLittleEndian(out, static_cast<quint32>(pictures[i].size()), 4);
        PutLittleEndian(out, offset, 4);
        offset += static_cast<quint32>(pictures[i].size());
    }
    for (const QByteArray& picture : pictures) out.append(picture);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) return false;
    return file.commit();
}

}  // namespace

int main(int argc, char** argv) {
    // No screen is needed, and a build machine often has none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const bool ico = argc > 1 && std::strcmp(argv[1], "--ico") == 0;
    const int first = ico ? 2 : 1;  // the first argument after the option
    if (argc < first + (ico ? 3 : 4)) {
        std::fprintf(stderr,
                     "usage: vantrel-render-icon INPUT.svg OUTPUT_FOLDER NAME SIZE...\n"
                     "       vantrel-render-icon --ico INPUT.svg OUTPUT.ico SIZE...\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[first]);
    const QString output = QString::fromLocal8Bit(argv[first + 1]);
    const QString name = ico ? QString() : QString::fromLocal8Bit(argv[first + 2]);
    const int maxSize = ico ? 256 : kMaxSize;

    QList<int> sizes;
    for (int i = first + (ico ? 2 : 3); i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < kMinSize || size > maxSize) {
            std::fprintf(stderr, "vantrel-render-icon: not a size from %d to %d: %s\n", kMinSize,
                         maxSize, argv[i]);
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
    if (ico) {
        if (!SaveIco(renderer, sizes, output)) {
            std::fprintf(stderr, "vantrel-render-icon: cannot write %s\n", qPrintable(output));
            return 1;
        }
        return 0;
    }
    const QDir folders(output);
    for (const int size : sizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = folders.filePath(folder + "/" + name + ".png");
        if (!folders.mkpath(folder) || !Save(Render(renderer, size), path)) {
            std::fprintf(stderr, "vantrel-render-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
