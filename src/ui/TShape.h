#pragma once

#include <QColor>
#include <QWidget>

namespace zv {

// A filled rectangle, square-cornered or rounded, with a border: the panels behind the
// main window's controls. It takes no input.
class TShape final : public QWidget {
    Q_OBJECT

public:
    enum TShapeType { stRectangle, stRoundRect };

    TShape(TShapeType shape, QColor fill, QColor border, int borderWidth, QWidget* parent = nullptr);

    TShapeType shape() const { return m_shape; }
    QColor fill() const { return m_fill; }
    QColor border() const { return m_border; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TShapeType m_shape;
    QColor m_fill;
    QColor m_border;
    int m_borderWidth;
};

} // namespace zv
