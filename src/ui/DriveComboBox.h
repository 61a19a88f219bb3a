#pragma once

#include <QComboBox>
#include <QStringList>

#include <functional>

namespace zv {

// The places a folder picker starts from: the home folder and every mounted file system.
// It shows the place that holds the picker's directory and reports the one the user chooses.
class TDriveComboBox : public QComboBox {
    Q_OBJECT

public:
    struct DriveEntry {
        QString root;
        QString caption;
    };

    explicit TDriveComboBox(QWidget* parent = nullptr);

    // The home folder first, then the mounted file systems by path.
    static QList<DriveEntry> systemDrives();
    void setDrives(const QList<DriveEntry>& drives);

    // Where the places come from; asked again at each refresh, since disks come and go.
    using DriveSource = std::function<QList<DriveEntry>()>;
    void setDriveSource(DriveSource source) { m_source = std::move(source); }
    void refresh();

    QString Drive() const;
    // Selects the place with the longest root that holds directory.
    void showDriveOf(const QString& directory);

signals:
    void driveChosen(const QString& root);

private:
    DriveSource m_source = &TDriveComboBox::systemDrives;
};

} // namespace zv
