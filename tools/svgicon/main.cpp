// Build tool: draws the icon's vector source at SIZE pixels square into a PNG, so every size
// of the icon theme is drawn for its size instead of scaled from another.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: svgicon SOURCE.svg TARGET.png SIZE\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    QSvgRenderer source(QString::fromLocal8Bit(argv[1]));
    if (!source.isValid()) {
        std::fprintf(stderr, "svgicon: cannot read %s\n", argv[1]);
        return 1;
    }
    const int size = std::atoi(argv[3]);
    if (size <= 0) {
        std::fprintf(stderr, "svgicon: bad size %s\n", argv[3]);
        return 2;
    }
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        source.render(&painter);
    }
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "svgicon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
