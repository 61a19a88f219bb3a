// One window with every kind, style and layout of the image button, with and without glyphs,
// popup marks, disabled states, the focus mark and the hot and pressed looks, so that one
// screenshot shows the whole component.
#include "platform/desktop/Resources.h"
#include "ui/QelButton.h"
#include "ui/QelForm.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaEnum>
#include <QPainter>
#include <QTimer>

#include <vector>

using namespace zv;

namespace {

constexpr int columnWidth = 112;
constexpr int left = 12;

template <typename Enum>
QString enumName(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(value));
}

// Two frames side by side: the normal picture and the one a disabled button shows.
QImage twoFrameGlyph()
{
    const QImage normal = Resources::image(QStringLiteral("DAQELB"));
    const QImage disabled = Resources::image(QStringLiteral("IKSICGQELB"));
    QImage both(normal.width() * 2, normal.height(), QImage::Format_ARGB32);
    QPainter painter(&both);
    painter.drawImage(0, 0, normal);
    painter.drawImage(normal.width(), 0, disabled);
    return both;
}

class Gallery : public QelForm {
public:
    Gallery()
    {
        setWindowTitle(QStringLiteral("Image button gallery"));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(13);
        setFont(font);
        m_menu.addAction(QStringLiteral("First item"));
        m_menu.addAction(QStringLiteral("Second item"));

        int top = 8;
        top = kindsRow(top);
        top = stylesRow(top, true);
        top = stylesRow(top, false);
        top = layoutsRow(top);
        top = variantsRow(top);
        top = looksRow(top);
        resize(left * 2 + 11 * columnWidth, top + 12);
    }

    // Hot and pressed looks stay until the next paint, so they are brought about a moment
    // after start-up, by the pointer events that cause them.
    void drawLooks()
    {
        for (TQelCustomButton* button : m_hot) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)));
            QCoreApplication::sendEvent(button, &enter);
        }
        for (TQelCustomButton* button : m_pressed) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)));
            QCoreApplication::sendEvent(button, &enter);
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(button, &press);
        }
    }

private:
    TQelButton* button(int column, int top, int width = 100, int height = 33)
    {
        auto* created = new TQelButton(this);
        created->setGeometry(left + column * columnWidth, top, width, height);
        return created;
    }

    int heading(int top, const QString& text)
    {
        auto* label = new QLabel(text, this);
        QFont bold = font();
        bold.setBold(true);
        label->setFont(bold);
        label->move(left, top);
        label->adjustSize();
        return top + 20;
    }

    void caption(int column, int top, const QString& text)
    {
        auto* label = new QLabel(text, this);
        label->move(left + column * columnWidth, top);
        label->adjustSize();
    }

    int kindsRow(int top)
    {
        top = heading(top, QStringLiteral("Kinds skOK to skSilly (stFlat); the second line disabled, their hot looks at the bottom"));
        for (int kind = TQelCustomButton::skOK; kind <= TQelCustomButton::skSilly; ++kind) {
            const int column = kind - 1;
            TQelButton* shown = button(column, top);
            shown->setButtonKind(static_cast<TQelCustomButton::TKind>(kind));
            TQelButton* disabled = button(column, top + 38);
            disabled->setButtonKind(static_cast<TQelCustomButton::TKind>(kind));
            disabled->setEnabled(false);
        }
        return top + 80;
    }

    int stylesRow(int top, bool glyph)
    {
        top = heading(top, glyph ? QStringLiteral("Styles at rest, hot and pressed (with glyph)")
                                 : QStringLiteral("Styles at rest, hot and pressed (caption alone)"));
        for (int style = TQelCustomButton::stFlat; style <= TQelCustomButton::stFrameRaised; ++style) {
            const auto value = static_cast<TQelCustomButton::TStyle>(style);
            caption(style, top, enumName(value));
            for (int look = 0; look < 3; ++look) {
                TQelButton* shown = button(style, top + 18 + look * 38);
                shown->setButtonStyle(value);
                if (glyph)
                    shown->setButtonKind(TQelCustomButton::skRetry);
                else
                    shown->setCaption(QStringLiteral("Caption"));
                if (look == 1)
                    m_hot.push_back(shown);
                if (look == 2)
                    m_pressed.push_back(shown);
            }
        }
        return top + 18 + 3 * 38 + 6;
    }

    int layoutsRow(int top)
    {
        top = heading(top, QStringLiteral("Layouts, glyph with caption, then with a popup mark"));
        for (int layout = TQelCustomButton::blGlyphLeft; layout <= TQelCustomButton::blGlyphTop; ++layout) {
            const auto value = static_cast<TQelCustomButton::TLayout>(layout);
            caption(layout * 2, top, enumName(value));
            for (int mark = 0; mark < 2; ++mark) {
                TQelButton* shown = button(layout * 2 + mark, top + 18, 100, 56);
                shown->setButtonKind(TQelCustomButton::skIgnore);
                shown->setLayout(value);
                shown->setPopupMenuMark(mark == 1);
                shown->setPopupMenu(mark == 1 ? &m_menu : nullptr);
                shown->setButtonStyle(TQelCustomButton::stRaised);
            }
        }
        return top + 18 + 62;
    }

    int variantsRow(int top)
    {
        top = heading(top, QStringLiteral("Glyph alone, glyph and mark, two-frame glyph, custom colours, focus mark"));
        const QStringList labels{
            QStringLiteral("glyph alone"),    QStringLiteral("glyph + mark"),   QStringLiteral("mark, disabled"),
            QStringLiteral("2 frames"),       QStringLiteral("2 frames, off"),  QStringLiteral("1 frame, off"),
            QStringLiteral("custom frame"),   QStringLiteral("stFlatDot cm"),   QStringLiteral("focus mark"),
            QStringLiteral("&& and tab"),     QStringLiteral("caption, off")};
        for (int column = 0; column < labels.size(); ++column)
            caption(column, top, labels[column]);
        const int row = top + 18;

        for (int column = 0; column < 3; ++column) {
            TQelButton* marked = button(column, row, 75, 25);
            marked->setButtonKind(TQelCustomButton::skAll);
            marked->setCaption(QString());
            marked->setPopupMenuMark(column > 0);
            marked->setPopupMenu(column > 0 ? &m_menu : nullptr);
            marked->setEnabled(column != 2);
        }
        for (int column = 3; column < 5; ++column) {
            TQelButton* framed = button(column, row);
            framed->setCaption(QStringLiteral("Frames"));
            framed->setGlyph(twoFrameGlyph());
            framed->setEnabled(column == 3);
        }
        TQelButton* embossed = button(5, row);
        embossed->setCaption(QStringLiteral("Emboss"));
        embossed->setGlyph(Resources::image(QStringLiteral("EXITQELB")));
        embossed->setEnabled(false);

        TQelButton* custom = button(6, row);
        custom->setButtonStyle(TQelCustomButton::stRaised);
        custom->setColorMarginLeftTop(ColorValue::rgb(0, 160, 0));
        custom->setColorMarginRightBottom(ColorValue::rgb(128, 0, 0));
        custom->setColor(ColorValue(15532020));
        custom->setCaption(QStringLiteral("Colours"));
        m_hot.push_back(custom);

        TQelButton* dotted = button(7, row);
        dotted->setButtonStyle(TQelCustomButton::stFlatDot);
        dotted->setColorMarginLeftTop(clWhite);
        dotted->setButtonStyle(TQelCustomButton::stRaisedDot);
        dotted->setCaption(QStringLiteral("Dotted"));

        m_focused = button(8, row);
        m_focused->setButtonStyle(TQelCustomButton::stDefault);
        m_focused->setCaption(QStringLiteral("Focused"));
        m_focused->setTabStop(true);

        button(9, row)->setCaption(QStringLiteral("A&&B\t&Tab"));
        TQelButton* off = button(10, row);
        off->setCaption(QStringLiteral("&Disabled"));
        off->setEnabled(false);
        return row + 44;
    }

    int looksRow(int top)
    {
        top = heading(top, QStringLiteral("Hot kinds (hot glyph, caption in HotTrackColor)"));
        for (int kind = TQelCustomButton::skOK; kind <= TQelCustomButton::skSilly; ++kind) {
            TQelButton* shown = button(kind - 1, top);
            shown->setButtonKind(static_cast<TQelCustomButton::TKind>(kind));
            m_hot.push_back(shown);
        }
        return top + 40;
    }

public:
    TQelButton* m_focused = nullptr;

private:
    QMenu m_menu;
    std::vector<TQelCustomButton*> m_hot;
    std::vector<TQelCustomButton*> m_pressed;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    Gallery gallery;
    gallery.move(0, 0);
    gallery.show();
    gallery.activateWindow();
    gallery.m_focused->setFocus();
    QTimer::singleShot(300, &gallery, [&gallery] { gallery.drawLooks(); });
    return QApplication::exec();
}
