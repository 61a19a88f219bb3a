// Build tool: turns a picture source (XPM text) into the BMP file that lies beside the program.
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: xpm2bmp SOURCE.xpm TARGET.bmp\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "xpm2bmp: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!image.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(argv[2]), "BMP")) {
        std::fprintf(stderr, "xpm2bmp: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
