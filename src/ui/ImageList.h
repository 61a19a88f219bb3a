#pragma once

#include <QIcon>
#include <QList>
#include <QObject>

namespace zv {

// A list of same-sized images, for animation frames. It tells its users when it goes
// away (removing), so nobody keeps animating from a freed list.
class ImageList final : public QObject {
    Q_OBJECT

public:
    explicit ImageList(QObject* owner = nullptr);
    ~ImageList() override;

    int count() const { return static_cast<int>(m_images.size()); }
    // Appends an image; returns its index.
    int add(const QIcon& image);
    void clear() { m_images.clear(); }
    // A new icon of the image at index; an empty icon when there is no such image.
    QIcon icon(int index) const;

signals:
    // Emitted while the list is being destroyed, before its images go.
    void removing(QObject* component);

private:
    QList<QIcon> m_images;
};

} // namespace zv
