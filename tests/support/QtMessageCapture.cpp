#include "support/QtMessageCapture.h"

#include <QString>

namespace zv::test {

namespace {
QtMessageCapture* current = nullptr;
}

QtMessageCapture::QtMessageCapture() : m_previous(qInstallMessageHandler(&handle))
{
    current = this;
}

QtMessageCapture::~QtMessageCapture()
{
    qInstallMessageHandler(m_previous);
    current = nullptr;
}

void QtMessageCapture::handle(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (current && type != QtDebugMsg && type != QtInfoMsg)
        current->m_warnings.push_back(text.toStdString());
}

} // namespace zv::test
