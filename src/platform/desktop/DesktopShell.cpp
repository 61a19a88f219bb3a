#include "platform/desktop/DesktopShell.h"

#include "platform/text/ByteText.h"

#include <QDesktopServices>
#include <QUrl>

namespace zv {

void DesktopShell::openFile(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(ByteText::decode(path)));
}

void DesktopShell::exploreFolder(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(ByteText::decode(path)));
}

void DesktopShell::openAddress(const std::string& address)
{
    QDesktopServices::openUrl(QUrl(ByteText::decode(address), QUrl::TolerantMode));
}

} // namespace zv
