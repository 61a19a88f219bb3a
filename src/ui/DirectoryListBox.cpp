#include "ui/DirectoryListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace zv {

namespace {

constexpr int DirectoryRole = Qt::UserRole;
constexpr int LevelRole = Qt::UserRole + 1;
constexpr int IndentPerLevel = 10;

// Indents every entry by its depth below the root and gives it the list's item height.
class LevelDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + index.data(LevelRole).toInt() * IndentPerLevel);
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize natural = QStyledItemDelegate::sizeHint(option, index);
        return QSize(natural.width() + index.data(LevelRole).toInt() * IndentPerLevel,
                     TDirectoryListBox::ItemHeight);
    }
};

QString existingAncestor(QString directory)
{
    directory = QDir::cleanPath(QDir(directory).absolutePath());
    while (!QFileInfo(directory).isDir() && !QDir(directory).isRoot())
        directory = QFileInfo(directory).path();
    return directory;
}

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new LevelDelegate(this));
    setUniformItemSizes(true);
    setIconSize(QSize(14, 14));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openEntry(row(item)); });
}

void TDirectoryListBox::setDirectory(const QString& directory)
{
    const QString shown = existingAncestor(directory);
    const bool changed = shown != m_directory;
    m_directory = shown;
    fill();
    if (changed)
        emit directoryChanged(m_directory);
}

void TDirectoryListBox::refresh()
{
    setDirectory(m_directory);
}

QString TDirectoryListBox::entryDirectory(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(DirectoryRole).toString() : QString();
}

void TDirectoryListBox::openEntry(int row)
{
    const QString directory = entryDirectory(row);
    if (!directory.isEmpty())
        setDirectory(directory);
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        openEntry(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::fill()
{
    clear();
    // The path from the root down, each folder opened.
    QStringList chain;
    for (QDir up(m_directory);; ) {
        chain.prepend(up.absolutePath());
        if (up.isRoot() || !up.cdUp())
            break;
    }
    int level = 0;
    for (const QString& folder : chain) {
        const QString name = QFileInfo(folder).fileName();
        addEntry(folder, name.isEmpty() ? folder : name, level++, true);
    }
    setCurrentRow(count() - 1);
    const QFileInfoList subdirectories = QDir(m_directory).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& subdirectory : subdirectories)
        addEntry(subdirectory.absoluteFilePath(), subdirectory.fileName(), level, false);
}

void TDirectoryListBox::addEntry(const QString& directory, const QString& caption, int level, bool open)
{
    auto* entry = new QListWidgetItem(style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon),
                                      caption, this);
    entry->setData(DirectoryRole, directory);
    entry->setData(LevelRole, level);
    entry->setToolTip(directory);
}

} // namespace zv
