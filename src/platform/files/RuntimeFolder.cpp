#include "platform/files/RuntimeFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace zv {

namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

RuntimeFolder RuntimeFolder::find(const QString& runtimeDir, const QString& tempFolder)
{
    // The session's folder is private by definition, but a stale or borrowed variable is not.
    if (QDir::isAbsolutePath(runtimeDir) && problemWith(runtimeDir).isEmpty())
        return {runtimeDir, {}};
    // QDir::tempPath() is empty when TMPDIR names no folder: never one relative to the working folder.
    if (!QDir::isAbsolutePath(tempFolder))
        return {{}, QStringLiteral("the temporary folder does not exist")};
    const QString own = QDir(tempFolder).filePath(QStringLiteral("zare-vantrel-%1").arg(::geteuid()));
    // Whoever made it first, it counts only after the check below.
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return {{}, QStringLiteral("cannot make %1: %2").arg(own, systemError(errno))};
    QString problem = problemWith(own);
    if (!problem.isEmpty())
        return {{}, problem};
    return {own, {}};
}

RuntimeFolder RuntimeFolder::find()
{
    return find(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
}

QString RuntimeFolder::problemWith(const QString& folder)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return QStringLiteral("%1: %2").arg(folder, systemError(errno));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is not a folder").arg(folder);
    if (info.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user").arg(folder);
    const unsigned mode = info.st_mode & 0777;
    if (mode != 0700)
        return QStringLiteral("%1 has mode %2, not 0700").arg(folder).arg(mode, 4, 8, QLatin1Char('0'));
    return {};
}

} // namespace zv
