#include "ui/BrowseForFolders.h"

#include "ui/DirectoryListBox.h"
#include "ui/DriveComboBox.h"
#include "ui/EditorHost.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QShowEvent>

namespace zv {

TForm2::TForm2(EditorHost& host, QWidget* parent)
    : PickerForm(QSize(174, 275), QRect(2, 1, 169, 272), parent), m_host(host)
{
    DirectoryListBox1 = new TDirectoryListBox(this);
    DirectoryListBox1->setGeometry(10, 8, 153, 201);
    DirectoryListBox1->setFocusPolicy(Qt::ClickFocus);

    DriveComboBox1 = new TDriveComboBox(this);
    DriveComboBox1->setGeometry(10, 214, 153, DriveComboBox1->sizeHint().height());
    DriveComboBox1->setFocusPolicy(Qt::ClickFocus);

    connect(DriveComboBox1, &TDriveComboBox::driveChosen, DirectoryListBox1, &TDirectoryListBox::setDirectory);
    connect(DirectoryListBox1, &TDirectoryListBox::directoryChanged, DriveComboBox1, &TDriveComboBox::showDriveOf);
    DirectoryListBox1->setDirectory(QDir::currentPath());

    BitBtn1 = makeOkButton(QRect(8, 244, 75, 25));
    connect(BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    BitBtn2 = makeCancelButton(QRect(90, 243, 75, 25));
}

// Disks come and go while the program runs, and a highlight left by the last opening
// would offer a folder that OK does not take. Restoring from minimised is no opening.
void TForm2::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        DriveComboBox1->refresh();
        DirectoryListBox1->refresh();
        DriveComboBox1->showDriveOf(DirectoryListBox1->Directory());
    }
    PickerForm::showEvent(event);
}

void TForm2::BitBtn1Click()
{
    const QByteArray encoded = QFile::encodeName(DirectoryListBox1->Directory());
    const std::string path(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    m_host.setDefaultPath(path);
    if (m_target)
        m_target(path);
    done(mrOk);
}

} // namespace zv
