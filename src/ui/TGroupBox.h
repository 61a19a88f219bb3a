#pragma once

#include <QGroupBox>

namespace zv {

// A group box drawn as the dialogs were laid out for: the caption sits on the frame's top
// line, so controls placed just below the caption stay inside the frame. A flat box has a
// single dark frame, a 3-D box an etched one.
class TGroupBox : public QGroupBox {
    Q_OBJECT

public:
    static constexpr int CaptionLeft = 8;
    static constexpr int CaptionGap = 2;

    explicit TGroupBox(const QString& caption, QWidget* parent = nullptr);

    // Where the frame's top line runs: half the caption's height down.
    int frameTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zv
