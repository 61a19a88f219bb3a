#include "platform/desktop/Resources.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>

// The resource code lives in an object library archived into this one; naming its
// initialiser here keeps it linked into every program.
static void initEmbeddedResources()
{
    Q_INIT_RESOURCE(zv_resources);
}

namespace zv {

namespace {

const QString root = QStringLiteral(":/zv");

// Lower-case name -> resource path, built once.
const QHash<QString, QString>& index()
{
    static const QHash<QString, QString> names = [] {
        initEmbeddedResources();
        QHash<QString, QString> found;
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            found.insert(QFileInfo(path).completeBaseName().toLower(), path);
        }
        return found;
    }();
    return names;
}

} // namespace

QString Resources::path(const QString& name)
{
    return index().value(name.toLower());
}

QByteArray Resources::data(const QString& name)
{
    const QString found = path(name);
    if (found.isEmpty())
        return {};
    QFile file(found);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage Resources::image(const QString& name)
{
    const QString found = path(name);
    return found.isEmpty() ? QImage() : QImage(found);
}

} // namespace zv
