#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace zv {

// The pictures, cursors and sounds compiled into the program (resources/embedded), found by
// name: the file name without its extension, compared without regard to case ("dagqelb"
// finds "glyphs/DAGQELB.xpm").
namespace Resources {
// The resource's path (":/zv/..."), or empty when the program holds none of that name.
QString path(const QString& name);
// The resource's bytes; empty when it is missing.
QByteArray data(const QString& name);
// The resource as a picture; null when it is missing or is no picture.
QImage image(const QString& name);
} // namespace Resources

} // namespace zv
