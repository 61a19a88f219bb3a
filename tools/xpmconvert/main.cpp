// Build tool: turns a picture source (XPM text) into the file the program or the desktop
// reads: a BMP beside the program (opaque), or a PNG icon (with its transparency).
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: xpmconvert SOURCE.xpm TARGET.bmp|TARGET.png\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "xpmconvert: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString target = QString::fromLocal8Bit(argv[2]);
    const bool png = target.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    const QImage converted = image.convertToFormat(png ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    if (!converted.save(target, png ? "PNG" : "BMP")) {
        std::fprintf(stderr, "xpmconvert: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
