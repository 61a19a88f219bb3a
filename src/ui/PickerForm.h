#pragma once

#include "ui/QelForm.h"

#include <QRect>

class QPushButton;

namespace zv {

// A small borderless white window framed by a green rectangle, as the task editor's date
// and folder pickers are, with the stock OK and Cancel buttons of a dialog.
class PickerForm : public QelForm {
    Q_OBJECT

public:
    PickerForm(QSize client, QRect frame, QWidget* parent = nullptr);

    static constexpr int FramePenWidth = 2;
    static QColor frameColor() { return QColor(0, 128, 0); }

protected:
    void paintEvent(QPaintEvent* event) override;

    // "OK" with the check glyph, the default button; the caller connects its click.
    QPushButton* makeOkButton(QRect geometry);
    // "Cancel" with the cross glyph; a click closes the picker with the cancel result.
    QPushButton* makeCancelButton(QRect geometry);

private:
    QPushButton* makeButton(QRect geometry, const QString& caption, const QString& glyph);

    QRect m_frame;
};

} // namespace zv
