#include "ui/DriveComboBox.h"

#include "platform/files/Paths.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>

namespace zv {

namespace {

// Kernel and runtime file systems hold no place to save downloads.
bool isSystemArea(const QString& root)
{
    static const QStringList hidden{QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev"),
                                    QStringLiteral("/run"), QStringLiteral("/snap"), QStringLiteral("/boot/efi")};
    if (root.startsWith(QLatin1String("/run/media/")))
        return false;
    return std::any_of(hidden.begin(), hidden.end(), [&root](const QString& area) {
        return root == area || root.startsWith(area + u'/');
    });
}

bool holds(const QString& root, const QString& directory)
{
    if (root == QLatin1String("/"))
        return directory.startsWith(u'/');
    return directory == root || directory.startsWith(root + u'/');
}

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this](int index) { emit driveChosen(itemData(index).toString()); });
}

QList<TDriveComboBox::DriveEntry> TDriveComboBox::systemDrives()
{
    QList<DriveEntry> drives;
    const QString home = QDir::cleanPath(QFile::decodeName(Paths::homeDir().c_str()));
    if (!home.isEmpty())
        drives.append({home, home + QStringLiteral("  [home]")});
    QList<DriveEntry> mounted;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || isSystemArea(root))
            continue;
        const QString label = volume.name();
        mounted.append({root, label.isEmpty() ? root : root + QStringLiteral("  [") + label + u']'});
    }
    std::sort(mounted.begin(), mounted.end(), [](const DriveEntry& a, const DriveEntry& b) { return a.root < b.root; });
    drives.append(mounted);
    return drives;
}

void TDriveComboBox::setDrives(const QList<DriveEntry>& drives)
{
    clear();
    for (const DriveEntry& drive : drives)
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), drive.caption, drive.root);
}

void TDriveComboBox::refresh()
{
    setDrives(m_source());
}

QString TDriveComboBox::Drive() const
{
    return currentData().toString();
}

void TDriveComboBox::showDriveOf(const QString& directory)
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (holds(root, directory) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    setCurrentIndex(best);
}

} // namespace zv
