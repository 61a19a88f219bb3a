#include "ui/ByteLineEdit.h"

namespace zv {

void ByteLineEdit::setBytes(const std::string& bytes)
{
    m_bytes = bytes;
    setText(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    // What the field holds, should it have changed the text on the way in.
    m_shown = text();
}

std::string ByteLineEdit::bytes() const
{
    const QString current = text();
    if (current == m_shown)
        return m_bytes;
    const QByteArray encoded = current.toUtf8();
    return std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()));
}

} // namespace zv
