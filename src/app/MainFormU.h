#pragma once

#include <QMainWindow>

namespace zv {

// The main window: the task grid, its commands and the tray icon.
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(QWidget* parent = nullptr);
};

} // namespace zv
