// Build tool: turns a picture source (XPM text) into the file the program or the desktop
// reads: a BMP beside the program (opaque), or a PNG icon (with its transparency), optionally
// scaled to SIZE pixels square for the icon theme.
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: xpmconvert SOURCE.xpm TARGET.bmp|TARGET.png [SIZE]\n");
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "xpmconvert: cannot read %s\n", argv[1]);
        return 1;
    }
    if (argc == 4) {
        const int size = std::atoi(argv[3]);
        if (size <= 0) {
            std::fprintf(stderr, "xpmconvert: bad size %s\n", argv[3]);
            return 2;
        }
        // Whole multiples keep the pixels sharp; other sizes are smoothed.
        const bool whole = size % image.width() == 0 && size % image.height() == 0;
        image = image.scaled(size, size, Qt::IgnoreAspectRatio,
                             whole ? Qt::FastTransformation : Qt::SmoothTransformation);
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
