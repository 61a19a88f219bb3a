#pragma once

#include <QLineEdit>

#include <string>

namespace zv {

// A text field that shows bytes (UTF-8, undecodable bytes as replacement characters) and
// gives back exactly those bytes while its text reads as it was shown, so bytes that pass
// through the field untouched are never altered.
class ByteLineEdit : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    void setBytes(const std::string& bytes);
    // The bytes last set when the text is still the one they showed; otherwise the text.
    std::string bytes() const;

private:
    std::string m_bytes;
    QString m_shown;
};

} // namespace zv
