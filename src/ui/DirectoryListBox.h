#pragma once

#include <QListWidget>

namespace zv {

// A list of folders: the path from the root down to the current directory, then that
// directory's subdirectories. A double click or Enter on an entry makes it the current
// directory; a single click only highlights it.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT

public:
    static constexpr int ItemHeight = 16;

    explicit TDirectoryListBox(QWidget* parent = nullptr);

    QString Directory() const { return m_directory; }
    // Shows directory, or its nearest ancestor that still exists.
    void setDirectory(const QString& directory);
    // Lists the current directory afresh, with only it highlighted.
    void refresh();

    // The folder an entry stands for.
    QString entryDirectory(int row) const;
    void openEntry(int row);

signals:
    void directoryChanged(const QString& directory);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill();
    void addEntry(const QString& directory, const QString& caption, int level, bool open);

    QString m_directory;
};

} // namespace zv
