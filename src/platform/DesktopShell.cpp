#include "platform/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

namespace zv {

namespace {

QString fromBytes(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void DesktopShell::openFile(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(fromBytes(path)));
}

void DesktopShell::exploreFolder(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(fromBytes(path)));
}

void DesktopShell::openAddress(const std::string& address)
{
    QDesktopServices::openUrl(QUrl(fromBytes(address), QUrl::TolerantMode));
}

} // namespace zv
