// Build-time tool: draws the window's SVG pictures at the size each is shown at, once at 1x and
// once at 2x, into NAME.argb and NAME@2x.argb: "ARGB", the width and the height as 32-bit numbers,
// then the pixels as QImage::Format_ARGB32_Premultiplied lays them out. The program embeds these
// uncompressed and shows them without parsing, drawing or even decoding anything while it starts.
//
// Usage: render_pictures OUTDIR NAME=FILE.svg:WIDTHxHEIGHT...
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTDIR NAME=FILE.svg:WIDTHxHEIGHT...\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "render_pictures: cannot make %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const QString spec = QString::fromLocal8Bit(argv[i]);
        const qsizetype eq = spec.indexOf(u'='), colon = spec.lastIndexOf(u':');
        const QStringList size = spec.mid(colon + 1).split(u'x');
        bool okW = false, okH = false;
        const int width = size.value(0).toInt(&okW), height = size.value(1).toInt(&okH);
        if (eq <= 0 || colon <= eq || size.size() != 2 || !okW || !okH || width <= 0 || height <= 0) {
            std::fprintf(stderr, "render_pictures: bad picture %s\n", argv[i]);
            return 2;
        }
        const QString name = spec.left(eq), file = spec.mid(eq + 1, colon - eq - 1);
        QSvgRenderer svg(file);
        if (!svg.isValid()) {
            std::fprintf(stderr, "render_pictures: cannot read %s\n", qPrintable(file));
            return 1;
        }
        for (int scale : {1, 2}) {
            QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
            svg.render(&painter, QRectF(0, 0, image.width(), image.height()));
            painter.end();
            const QString path = out.filePath(name + (scale == 1 ? QStringLiteral(".argb") : QStringLiteral("@2x.argb")));
            QFile file(path);
            const quint32 size[2] = {quint32(image.width()), quint32(image.height())};
            const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("ARGB", 4) == 4 &&
                                 file.write(reinterpret_cast<const char*>(size), sizeof size) == sizeof size &&
                                 file.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) ==
                                     image.sizeInBytes();
            if (!written || image.bytesPerLine() != image.width() * 4) {
                std::fprintf(stderr, "render_pictures: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
