#pragma once

#include <QObject>

class QWidget;

namespace zv {

// While it lives, the pointer shows that a window waits, and the window takes no input but
// Esc and what reaches its way out (a Cancel button), so nothing it shows changes under the
// wait. The window keeps painting, and its close box stays a way out.
class BusyWindow final : public QObject {
    Q_OBJECT

public:
    BusyWindow(QWidget& window, QWidget& wayOut);
    ~BusyWindow() override;
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isInside(const QWidget& outer, const QObject* watched) const;

    QWidget& m_window;
    QWidget& m_wayOut;
};

} // namespace zv
