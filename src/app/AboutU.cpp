#include "app/AboutU.h"

#include "platform/desktop/Resources.h"
#include "platform/services/Shell.h"
#include "ui/FixedPalette.h"
#include "ui/QelButton.h"

#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace zv {

namespace {

const QColor LinkBlue(0, 0, 255);
const QColor VisitedMaroon(128, 0, 0);

void setLinkColour(QLabel* link, const QColor& colour)
{
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, colour);
    link->setPalette(palette);
}

} // namespace

TAbout::TAbout(Shell& shell, QWidget* parent) : QelForm(parent), m_shell(shell)
{
    setWindowTitle(QStringLiteral("About Zare Vantrel "));
    setFixedSize(246, 227);
    FixedPalette::applyWhite(*this);

    m_webLink = makeLink(QString::fromLatin1(WebAddress), 150);
    auto* mailCaption = new QLabel(QStringLiteral("E-mail: "), this);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(13);
    mailCaption->setFont(arial);
    mailCaption->adjustSize();
    mailCaption->move(12, 170);
    m_mailLink = makeLink(QString::fromLatin1(SupportAddress), 170);
    m_mailLink->move(12 + mailCaption->width(), 170);

    m_ok = new TQelButton(this);
    m_ok->setCaption(QStringLiteral("Ok"));
    m_ok->setButtonStyle(TQelCustomButton::stFlat);
    m_ok->setColor(ColorValue::rgb(244, 255, 236));
    m_ok->setGeometry(86, 194, 75, 25);
    m_ok->setDefault(true);
    m_ok->setCancel(true);
    connect(m_ok, &TQelCustomButton::OnClick, this, [this] { accept(); });
}

QLabel* TAbout::makeLink(const QString& text, int top)
{
    auto* link = new QLabel(text, this);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setUnderline(true);
    link->setFont(font);
    setLinkColour(link, LinkBlue);
    link->setCursor(Qt::PointingHandCursor);
    link->adjustSize();
    link->move(12, top);
    link->installEventFilter(this);
    return link;
}

void TAbout::markVisited(QLabel* link)
{
    setLinkColour(link, VisitedMaroon);
}

void TAbout::WebLinkClick()
{
    m_shell.openAddress(WebAddress);
    markVisited(m_webLink);
}

void TAbout::MailLinkClick()
{
    m_shell.openAddress(std::string("mailto:") + SupportAddress);
    markVisited(m_mailLink);
}

bool TAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_webLink)
            WebLinkClick();
        else if (watched == m_mailLink)
            MailLinkClick();
    }
    return QelForm::eventFilter(watched, event);
}

// The box's picture: a green band with the program's icon, name and purpose over a white field.
void TAbout::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Dark enough under every white text, as the main window's banner.
    QLinearGradient band(0, 0, 0, 120);
    band.setColorAt(0, QColor(0, 90, 0));
    band.setColorAt(1, QColor(24, 128, 24));
    painter.fillRect(QRect(0, 0, width(), 120), band);
    const QImage icon = Resources::image(QStringLiteral("ZVICON"));
    painter.drawImage(QRect(12, 14, 48, 48), icon);
    QFont title(QStringLiteral("Verdana"));
    title.setPixelSize(20);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(70, 16, width() - 76, 26), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Zare Vantrel"));
    QFont small(QStringLiteral("Verdana"));
    small.setPixelSize(11);
    painter.setFont(small);
    painter.drawText(QRect(70, 42, width() - 76, 18), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("version 1.0"));
    painter.drawText(QRect(12, 76, width() - 24, 40), Qt::AlignLeft | Qt::TextWordWrap,
                     QStringLiteral("A download manager for HTTP and HTTPS: pause, resume and "
                                    "scheduled starts."));
    painter.setPen(QPen(QColor(0, 128, 0), 2));
    painter.drawLine(0, 121, width(), 121);
}

} // namespace zv
