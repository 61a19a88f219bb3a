#include "app/MainFormU.h"
#include "platform/ApplicationTitle.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(zv::ApplicationTitle));
    zv::TMainForm mainForm;
    mainForm.show();
    return QApplication::exec();
}
