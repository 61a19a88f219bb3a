#include "app/MainFormU.h"

#include "platform/ApplicationTitle.h"

namespace zv {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QString::fromUtf8(ApplicationTitle));
    setFixedSize(793, 463);
}

} // namespace zv
