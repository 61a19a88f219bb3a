#include "ui/ByteLineEdit.h"

#include "platform/text/ByteText.h"

namespace zv {

void ByteLineEdit::setBytes(const std::string& bytes)
{
    m_bytes = bytes;
    setText(ByteText::decode(bytes));
    // What the field holds, should it have changed the text on the way in.
    m_shown = text();
}

std::string ByteLineEdit::bytes() const
{
    const QString current = text();
    if (current == m_shown)
        return m_bytes;
    return ByteText::encode(current);
}

} // namespace zv
