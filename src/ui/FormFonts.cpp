#include "ui/FormFonts.h"

#include <QStringList>

namespace zv {

QFont FormFonts::sansSerif(int pixelHeight, bool bold)
{
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace zv
