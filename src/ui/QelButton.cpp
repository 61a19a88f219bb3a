#include "ui/QelButton.h"

#include "platform/sound/AlsaSound.h"
#include "platform/desktop/HandCursor.h"
#include "platform/desktop/Resources.h"
#include "ui/QelForm.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeySequence>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <array>
#include <span>
#include <utility>

namespace zv {

namespace {

enum class KindAction { None, ModalResult, Help, Close };

struct KindEntry {
    const char* normalGlyph;
    const char* hotGlyph;
    const char* caption;
    KindAction action;
    int modalResult;
};

// Indexed by TKind.
constexpr std::array<KindEntry, 12> kinds{{
    {nullptr, nullptr, nullptr, KindAction::None, mrNone},
    {"DAGQELB", "DAQELB", "OK", KindAction::ModalResult, mrOk},
    {"IKSICGQELB", "IKSICQELB", "Cancel", KindAction::ModalResult, mrCancel},
    {"POMOCGQELB", "POMOCQELB", "&Help", KindAction::Help, mrNone},
    {"DAGQELB", "DAQELB", "&Yes", KindAction::ModalResult, mrYes},
    {"NEGQELB", "NEQELB", "&No", KindAction::ModalResult, mrNo},
    {"EXITGQELB", "EXITQELB", "&Close", KindAction::Close, mrNone},
    {"IKSICGQELB", "IKSICQELB", "Abort", KindAction::ModalResult, mrAbort},
    {"RETRIGQELB", "RETRIQELB", "&Retry", KindAction::ModalResult, mrRetry},
    {"IGNOGQELB", "IGNOQELB", "&Ignore", KindAction::ModalResult, mrIgnore},
    {"SVEGQELB", "SVEQELB", "&All", KindAction::ModalResult, mrAll},
    {"GLUPIGQELB", "GLUPIQELB", "&Silly", KindAction::None, mrNone},
}};

struct StyleEntry {
    int normalFrameWidth;
    int hotFrameWidth;
    bool dotted;
    bool framed; // inner edge, forced button face, focus mark
    ColorValue leftTop;
    ColorValue rightBottom;
};

// Indexed by TStyle. stNone keeps the colours and line style it finds.
constexpr std::array<StyleEntry, 8> styles{{
    {0, 1, false, false, clBtnHighlight, clBtnShadow},
    {1, 1, false, true, clBtnHighlight, clBlack},
    {0, 0, false, false, clBtnHighlight, clBtnShadow},
    {2, 2, false, false, clBtnHighlight, clBtnShadow},
    {0, 1, true, false, clBtnHighlight, clBtnShadow},
    {2, 2, true, false, clBtnHighlight, clBtnShadow},
    {1, 1, false, true, clBtnShadow, clBtnHighlight},
    {1, 1, false, true, clBtnHighlight, clBtnShadow},
}};

constexpr int defaultTimerInterval = 50;
constexpr Qt::KeyboardModifiers heldModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

int half(int value)
{
    return value / 2; // rounds toward zero
}

// The number of frames a glyph of w x h holds; current when its width is no whole multiple.
int glyphFrames(int w, int h, int current)
{
    int frames = current;
    if (w < h || w / h < 2)
        frames = 1;
    if (w % h == 0)
        frames = w / h > 4 ? 1 : w / h;
    return frames;
}

// The character after a single "&", or a null character.
QChar accelerator(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1];
        ++i;
    }
    return {};
}

// A horizontal or vertical line, end points included; dotted lines set every other pixel.
void drawLine(QPainter& canvas, QPoint from, QPoint to, const QColor& color, bool dotted)
{
    const QRect line = QRect(from, to).normalized();
    if (!dotted) {
        canvas.fillRect(line, color);
        return;
    }
    for (int y = line.top(); y <= line.bottom(); ++y) {
        for (int x = line.left(); x <= line.right(); ++x) {
            if ((x + y) % 2 == 0)
                canvas.fillRect(x, y, 1, 1, color);
        }
    }
}

// The picture with its bottom-left pixel's colour made transparent.
QImage withTransparentKey(const QImage& picture)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace(line, line + image.width(), key, QRgb{0});
    }
    return image;
}

// The set pixels of a mask in one colour, the rest transparent.
QImage silhouette(const QImage& mask, const QColor& color)
{
    QImage image(mask.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            if (mask.pixelIndex(x, y) == 1)
                image.setPixelColor(x, y, color);
        }
    }
    return image;
}

QString screenText(QString hint)
{
    hint.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    hint.replace(u'\r', u'\n');
    return hint;
}

} // namespace

TQelCustomButton::TQelCustomButton(QWidget* parent) : QWidget(parent)
{
    resize(75, 25);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    RepeatTimer = new QTimer(this);
    RepeatStartTimer = new QTimer(this);
    RepeatTimer->setInterval(defaultTimerInterval);
    RepeatStartTimer->setInterval(defaultTimerInterval);
    connect(RepeatStartTimer, &QTimer::timeout, this, &TQelCustomButton::RepeatStartTimerTimer);
    connect(RepeatTimer, &QTimer::timeout, this, &TQelCustomButton::RepeatTimerTimer);
}

TQelCustomButton::~TQelCustomButton() = default;

int TQelCustomButton::RepeatInterval() const
{
    return RepeatTimer->interval();
}

void TQelCustomButton::setRepeatInterval(int milliseconds)
{
    RepeatTimer->setInterval(milliseconds);
}

int TQelCustomButton::RepeatStartInterval() const
{
    return RepeatStartTimer->interval();
}

void TQelCustomButton::setRepeatStartInterval(int milliseconds)
{
    RepeatStartTimer->setInterval(milliseconds);
}

void TQelCustomButton::setButtonKind(TKind kind)
{
    if (kind != m_buttonKind) {
        m_buttonKind = kind;
        m_glyph = QImage();
        m_glyphHot = QImage();
        FrameBitmap = QImage();
        MaskBitmap = QImage();
    }
    if (kind != skCustom) {
        const KindEntry& entry = kinds[kind];
        m_glyph = Resources::image(QLatin1String(entry.normalGlyph));
        m_glyphHot = Resources::image(QLatin1String(entry.hotGlyph));
        setCaption(QLatin1String(entry.caption));
        m_numGlyphs = 1;
        m_numGlyphsHot = 1;
    }
    update();
    m_cancel = kind == skCancel || kind == skNo;
    m_default = kind == skOK || kind == skYes;
}

void TQelCustomButton::setColorMarginLeftTop(ColorValue color)
{
    setMarginColor(m_colorMarginLeftTop, DrawColorLeftTop, color, styles[m_buttonStyle].leftTop);
}

void TQelCustomButton::setColorMarginRightBottom(ColorValue color)
{
    setMarginColor(m_colorMarginRightBottom, DrawColorRightBottom, color, styles[m_buttonStyle].rightBottom);
}

// A colour other than the style's own makes the margins custom, so a later style keeps it.
void TQelCustomButton::setMarginColor(ColorValue& published, ColorValue& drawn, ColorValue color, ColorValue styleDefault)
{
    if (color == published)
        return;
    published = color;
    drawn = color;
    if (m_colorMarginStyle == cmDefault && m_buttonStyle != stNone && color != styleDefault)
        m_colorMarginStyle = cmCustom;
    update();
}

void TQelCustomButton::setColorMarginStyle(TColorMarginDefault style)
{
    m_colorMarginStyle = style;
    if (style == cmDefault && m_buttonStyle != stNone)
        applyStyleColors();
    update();
}

QString TQelCustomButton::Version() const
{
    return QStringLiteral("TQelButton 1.0 (Zare Vantrel)");
}

void TQelCustomButton::setPopupMenuMark(bool on)
{
    m_popupMenuMark = on;
    update();
}

// Out-of-range values are taken as the nearest allowed one; a change repaints.
void TQelCustomButton::setBounded(int& field, int value, int lowest, int highest)
{
    value = std::clamp(value, lowest, highest);
    if (value == field)
        return;
    field = value;
    update();
}

void TQelCustomButton::setPopupMenuMarkGap(int gap)
{
    setBounded(m_popupMenuMarkGap, gap, 1, 5);
}

void TQelCustomButton::setPopupMenu(QMenu* menu)
{
    m_popupMenu = menu;
    update();
}

void TQelCustomButton::setSpacing(int spacing)
{
    setBounded(m_spacing, spacing, 1, 5);
}

void TQelCustomButton::setSpacingLayout(int spacing)
{
    setBounded(m_spacingLayout, spacing, -5, 5);
}

void TQelCustomButton::setNumGlyphs(int frames)
{
    setBounded(m_numGlyphs, frames, 1, 4);
}

void TQelCustomButton::setNumGlyphsHot(int frames)
{
    setBounded(m_numGlyphsHot, frames, 1, 4);
}

void TQelCustomButton::setGlyph(const QImage& picture)
{
    assignGlyph(m_glyph, m_numGlyphs, picture);
}

void TQelCustomButton::setGlyphHot(const QImage& picture)
{
    assignGlyph(m_glyphHot, m_numGlyphsHot, picture);
}

// A picture given by hand makes the button a custom one: caption, Default and Cancel stay,
// the kind's click action goes.
void TQelCustomButton::assignGlyph(QImage& glyph, int& frames, const QImage& picture)
{
    glyph = picture;
    if (!glyph.isNull())
        frames = glyphFrames(glyph.width(), glyph.height(), frames);
    update();
    m_buttonKind = skCustom;
}

void TQelCustomButton::setLayout(TLayout layout)
{
    m_layout = layout;
    update();
}

void TQelCustomButton::setButtonStyle(TStyle style)
{
    m_buttonStyle = style;
    const StyleEntry& entry = styles[style];
    NormalFrameWidth = entry.normalFrameWidth;
    HotFrameWidth = entry.hotFrameWidth;
    if (style != stNone)
        m_dottedFrame = entry.dotted;
    if (entry.framed)
        forceButtonFace();
    if (style != stNone) {
        if (m_colorMarginStyle == cmDefault) {
            applyStyleColors();
        } else {
            DrawColorLeftTop = m_colorMarginLeftTop;
            DrawColorRightBottom = m_colorMarginRightBottom;
        }
    }
    update();
}

void TQelCustomButton::applyStyleColors()
{
    const StyleEntry& entry = styles[m_buttonStyle];
    DrawColorLeftTop = m_colorMarginLeftTop = entry.leftTop;
    DrawColorRightBottom = m_colorMarginRightBottom = entry.rightBottom;
}

void TQelCustomButton::forceButtonFace()
{
    m_parentColor = false;
    m_color = clBtnFace;
}

void TQelCustomButton::setHintSecondLine(const QString& text)
{
    m_hintSecondLine = text;
    if (!m_hint.isEmpty() && !text.isEmpty())
        setHint(m_hint + u'\r' + text);
}

void TQelCustomButton::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    // Alt with the accelerator works from any control of the window, as Qt's buttons do.
    releaseShortcut(m_shortcutId);
    m_shortcutId = grabShortcut(QKeySequence::mnemonic(caption));
    update();
}

void TQelCustomButton::setColor(ColorValue color)
{
    m_color = color;
    m_parentColor = false;
    if (isFramed())
        forceButtonFace();
    update();
}

void TQelCustomButton::setParentColor(bool on)
{
    m_parentColor = on;
    if (isFramed())
        forceButtonFace();
    update();
}

void TQelCustomButton::setHint(const QString& hint)
{
    m_hint = hint;
    setToolTip(hint.isEmpty() ? QString() : Qt::convertFromPlainText(screenText(hint), Qt::WhiteSpaceNormal));
}

bool TQelCustomButton::isFramed() const
{
    return styles[m_buttonStyle].framed;
}

bool TQelCustomButton::canFocus() const
{
    return isVisible() && isEnabled();
}

QColor TQelCustomButton::faceColor() const
{
    if (isFramed())
        return clBtnFace.resolve(palette());
    if (m_parentColor && parentWidget())
        return parentWidget()->palette().color(parentWidget()->backgroundRole());
    return m_color.resolve(palette());
}

// Width and height of the caption as stored, "&" characters counted.
QSize TQelCustomButton::captionExtent() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(m_caption), metrics.height()};
}

// ---- drawing ----

void TQelCustomButton::DrawButtonFace(TLook look)
{
    m_requestedLook = look;
    m_lookRequested = true;
    repaint();
}

void TQelCustomButton::paintEvent(QPaintEvent*)
{
    const TLook look = m_lookRequested ? m_requestedLook : lkResting;
    m_lookRequested = false;
    // Drawn off-screen first: the focus mark inverts what lies beneath it.
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    {
        QPainter canvas(&image);
        paintLook(canvas, look);
    }
    QPainter(this).drawImage(0, 0, image);
}

void TQelCustomButton::paintLook(QPainter& canvas, TLook look)
{
    FaceRect = {0, 0, width(), height()};
    GlyphRect = MarkRect = CaptionRect = {};
    const QColor face = faceColor();
    canvas.fillRect(rect(), face); // what the gaps of a dotted frame show

    QColor leftTop = DrawColorLeftTop.resolve(palette());
    QColor rightBottom = DrawColorRightBottom.resolve(palette());
    if (look == lkPressed)
        std::swap(leftTop, rightBottom);
    drawFrame(canvas, leftTop, rightBottom, look == lkResting ? NormalFrameWidth : HotFrameWidth);
    canvas.fillRect(FaceRect.toQRect(), face);
    if (m_buttonStyle == stFrameRaised)
        FaceRect = FaceRect.inflated(-1);
    if (isFramed())
        drawInnerEdge(canvas, look);
    drawGlyphOfLook(canvas, look);
    if (m_showFocused && (HasFocus || m_keyboardFocus))
        drawFocusMark(canvas);
    DrawCaption(canvas);
}

// Nested one-pixel rings; the bottom-right colour takes the top-right and bottom-left corners.
void TQelCustomButton::drawFrame(QPainter& canvas, QColor leftTop, QColor rightBottom, int width)
{
    for (int ring = 0; ring < width; ++ring) {
        const int l = FaceRect.Left, t = FaceRect.Top, r = FaceRect.Right - 1, b = FaceRect.Bottom - 1;
        if (r > l && b > t) {
            drawLine(canvas, {l, t}, {l, b}, leftTop, m_dottedFrame);
            drawLine(canvas, {l, t}, {r - 1, t}, leftTop, m_dottedFrame);
            drawLine(canvas, {r, t}, {r, b}, rightBottom, m_dottedFrame);
            drawLine(canvas, {l, b}, {r, b}, rightBottom, m_dottedFrame);
        }
        FaceRect = FaceRect.inflated(-1);
    }
}

// A one-pixel raised edge (sunken when pressed) around a button-face middle.
void TQelCustomButton::drawInnerEdge(QPainter& canvas, TLook look)
{
    QColor leftTop = clBtnHighlight.resolve(palette());
    QColor rightBottom = clBtnShadow.resolve(palette());
    if (look == lkPressed)
        std::swap(leftTop, rightBottom);
    const int l = FaceRect.Left, t = FaceRect.Top, r = FaceRect.Right - 1, b = FaceRect.Bottom - 1;
    if (r <= l || b <= t)
        return;
    drawLine(canvas, {l, t}, {l, b}, leftTop, false);
    drawLine(canvas, {l, t}, {r - 1, t}, leftTop, false);
    drawLine(canvas, {r, t}, {r, b}, rightBottom, false);
    drawLine(canvas, {l, b}, {r, b}, rightBottom, false);
    canvas.fillRect(FaceRect.inflated(-1).toQRect(), clBtnFace.resolve(palette()));
}

// A dotted rectangle drawn by inverting every other pixel, 3 pixels inside FaceRect.
void TQelCustomButton::drawFocusMark(QPainter& canvas)
{
    const TRect mark = FaceRect.inflated(-3);
    if (mark.width() <= 0 || mark.height() <= 0)
        return;
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_NotDestination);
    const auto invert = [&canvas](int x, int y) {
        if ((x + y) % 2 == 0)
            canvas.fillRect(x, y, 1, 1, Qt::black);
    };
    for (int x = mark.Left; x < mark.Right; ++x) {
        invert(x, mark.Top);
        if (mark.height() > 1)
            invert(x, mark.Bottom - 1);
    }
    for (int y = mark.Top + 1; y < mark.Bottom - 1; ++y) {
        invert(mark.Left, y);
        if (mark.width() > 1)
            invert(mark.Right - 1, y);
    }
    canvas.restore();
}

void TQelCustomButton::drawGlyphOfLook(QPainter& canvas, TLook look)
{
    if (look == lkResting || m_glyphHot.isNull())
        DrawNormalGlyph(canvas);
    else if (!m_glyph.isNull())
        isEnabled() ? DrawHotGlyph(canvas) : DrawNormalGlyph(canvas);
}

void TQelCustomButton::drawTransparent(QPainter& canvas, const QImage& picture, QPoint at)
{
    if (!picture.isNull())
        canvas.drawImage(at, withTransparentKey(picture));
}

void TQelCustomButton::DrawNormalGlyph(QPainter& canvas)
{
    if (m_glyph.isNull())
        return;
    const int frameWidth = m_glyph.width() / m_numGlyphs;
    // Frame 2 is the disabled picture, used only by a glyph of exactly two frames.
    const int sourceX = m_numGlyphs == 2 && !isEnabled() ? m_glyph.width() / 2 : 0;
    FrameBitmap = m_glyph.copy(sourceX, 0, frameWidth, m_glyph.height());
    CalcGlyphPos();
    if (isEnabled() || m_numGlyphs == 2)
        drawTransparent(canvas, FrameBitmap, GlyphRect.topLeft());
    else
        DrawEmbossed(canvas, FrameBitmap, GlyphRect.Left, GlyphRect.Top);
    DrawPopupMark(canvas);
}

void TQelCustomButton::DrawHotGlyph(QPainter& canvas)
{
    if (m_glyphHot.isNull())
        return;
    FrameBitmap = m_glyphHot.copy(0, 0, m_glyphHot.width() / m_numGlyphsHot, m_glyphHot.height());
    CalcGlyphPos();
    drawTransparent(canvas, FrameBitmap, GlyphRect.topLeft());
    DrawPopupMark(canvas);
}

// Only the pure black pixels show: in shadow, over a highlight copy one pixel down and right.
void TQelCustomButton::DrawEmbossed(QPainter& canvas, const QImage& image, int x, int y)
{
    if (image.isNull())
        return;
    MaskBitmap = image.convertToFormat(QImage::Format_ARGB32).createMaskFromColor(qRgb(0, 0, 0));
    canvas.drawImage(QPoint(x + 1, y + 1), silhouette(MaskBitmap, clBtnHighlight.resolve(palette())));
    canvas.drawImage(QPoint(x, y), silhouette(MaskBitmap, clBtnShadow.resolve(palette())));
}

void TQelCustomButton::CalcGlyphPos()
{
    const int L = FaceRect.Left, T = FaceRect.Top, W = FaceRect.width(), H = FaceRect.height();
    const int gw = FrameBitmap.width(), gh = FrameBitmap.height();
    const QSize text = captionExtent();
    const int tw = text.width(), th = text.height();
    const int p = PressOffset;
    int gx = 0;
    int gy = 0;
    int markShift = 0;
    if (m_caption.isEmpty()) {
        gx = L + half(W - gw);
        gy = T + half(H - gh);
        if (m_popupMenuMark)
            markShift = -5; // room for the mark on the right
    } else {
        switch (m_layout) {
        case blGlyphLeft:
            gx = L + half(W - (tw + gw)) - m_spacingLayout;
            gy = T + half(H - gh);
            break;
        case blGlyphBottom:
            gx = L + half(W - gw);
            gy = T + half(H - gh) + half(th) + m_spacingLayout;
            break;
        case blGlyphRight:
            gx = L + half(W - gw + tw) + m_spacingLayout;
            gy = T + half(H - gh);
            break;
        case blGlyphTop:
            gx = L + half(W - gw);
            gy = T + half(H - gh) - half(th) - m_spacingLayout;
            break;
        }
    }
    GlyphRect = {gx + p + markShift, gy + p, gx + gw + p + markShift, gy + gh + p};
}

void TQelCustomButton::CalcCaptionPos()
{
    const int L = FaceRect.Left, T = FaceRect.Top, W = FaceRect.width(), H = FaceRect.height();
    const QSize text = captionExtent();
    const int tw = text.width(), th = text.height();
    const int S = m_spacing;
    if (m_glyph.isNull()) {
        const int cx = L + half(W - tw), cy = T + half(H - th), p = PressOffset;
        CaptionRect = {cx + p, cy + p, cx + tw + p, cy + th + p};
        return;
    }
    const int GL = GlyphRect.Left, GT = GlyphRect.Top, GR = GlyphRect.Right, GB = GlyphRect.Bottom;
    int cx = 0;
    int cy = 0;
    switch (m_layout) {
    case blGlyphLeft:
        cx = GR + S;
        cy = GT + half(GB - GT - th);
        break;
    case blGlyphBottom:
        cx = GL + half(GR - GL) - half(tw);
        cy = GT - 8 - S - half(th);
        break;
    case blGlyphRight:
        cx = GL - tw - S;
        cy = GT + half(GB - GT - th);
        break;
    case blGlyphTop:
        cx = GL + half(GR - GL) - half(tw);
        cy = GB + S;
        break;
    }
    CaptionRect = {cx, cy, cx + tw, cy + th}; // the press offset is in GlyphRect already
}

void TQelCustomButton::DrawPopupMark(QPainter& canvas)
{
    if (m_glyph.isNull() || !m_popupMenuMark)
        return;
    if ((m_layout == blGlyphLeft || m_layout == blGlyphRight) && !m_caption.isEmpty())
        return;
    const QImage mark = Resources::image(QStringLiteral("STRELA"));
    if (mark.isNull())
        return;
    const int my = GlyphRect.Top + half(GlyphRect.height() - mark.height());
    const int mx = GlyphRect.Left + FrameBitmap.width() + m_popupMenuMarkGap;
    MarkRect = {mx, my, mx + mark.width(), my + mark.height()};
    if (isEnabled())
        drawTransparent(canvas, mark, {mx, my});
    else
        DrawEmbossed(canvas, mark, mx, my);
}

void TQelCustomButton::DrawCaption(QPainter& canvas)
{
    canvas.setFont(font());
    QColor color = palette().color(QPalette::WindowText);
    if (m_hotTrack && CaptionHot)
        color = m_hotTrackColor.resolve(palette());
    CalcCaptionPos();
    if (m_caption.isEmpty())
        return;
    const QRect rect = CaptionRect.toQRect();
    if (!isEnabled()) {
        drawCaptionText(canvas, rect, color);
        drawCaptionText(canvas, rect.translated(1, 1), clBtnHighlight.resolve(palette()));
        color = clBtnShadow.resolve(palette());
    }
    drawCaptionText(canvas, rect, color);
}

// Centred, top-aligned, clipped, tabs expanded, "&" underlining the accelerator.
void TQelCustomButton::drawCaptionText(QPainter& canvas, const QRect& rect, QColor color)
{
    canvas.save();
    canvas.setClipRect(rect);
    canvas.setPen(color);
    canvas.drawText(rect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextExpandTabs, m_caption);
    canvas.restore();
}

// ---- interaction ----

bool TQelCustomButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        if (canFocus())
            Click();
        return true;
    }
    return QWidget::event(event);
}

void TQelCustomButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            PressOffset = 0;
            CaptionHot = false;
            m_clickPending = false;
            stopRepeat();
        }
        update();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void TQelCustomButton::enterEvent(QEnterEvent*)
{
    setUnderPointer(true);
}

void TQelCustomButton::leaveEvent(QEvent*)
{
    setUnderPointer(false);
}

void TQelCustomButton::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    forgetPointer();
}

// Qt sends no exit when a window closes under the pointer: a hidden button forgets it quietly
// (no OnMouseOut, which could reach a window being destroyed), so that it comes back resting
// and the next entry counts as one.
void TQelCustomButton::forgetPointer()
{
    m_underPointer = false;
    if (m_crossingHolds > 0)
        m_crossingNoted = true; // the release after a click that hid it must not draw hot
    PressOffset = 0;
    CaptionHot = false;
    stopRepeat();
    if (m_cursorHandCustom)
        unsetCursor();
}

// Moves arrive only while a button is held, when Qt reports no exit or entry: they tell them.
void TQelCustomButton::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    setUnderPointer(rect().contains(position));
    emit OnMouseMove(this, position);
}

void TQelCustomButton::setUnderPointer(bool inside)
{
    if (m_crossingHolds > 0) {
        m_crossingNoted = true;
        return;
    }
    if (inside == m_underPointer)
        return;
    m_underPointer = inside;
    if (isEnabled())
        inside ? pointerEntered() : pointerLeaving();
}

void TQelCustomButton::pointerEntered()
{
    const QPointer<TQelCustomButton> alive(this);
    emit OnMouseOver(this);
    if (!alive)
        return;
    PressOffset = 0;
    if (isFramed() && m_popupMenu)
        setFocus();
    if (m_cursorHandCustom)
        setCursor(HandCursor::cursor());
    CaptionHot = true;
    if (m_playMusic)
        playEntrySound();
    DrawButtonFace(lkHot);
    PointerLeft = 0;
}

void TQelCustomButton::pointerLeaving()
{
    const QPointer<TQelCustomButton> alive(this);
    emit OnMouseOut(this);
    if (!alive)
        return;
    PressOffset = 0;
    if (m_cursorHandCustom)
        unsetCursor();
    stopRepeat();
    CaptionHot = false;
    DrawButtonFace(lkResting);
    PointerLeft = 1;
}

void TQelCustomButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_clickPending = true;
    leftPressed(event->position().toPoint());
}

void TQelCustomButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint position = event->position().toPoint();
    const bool clicked = m_clickPending && rect().contains(position);
    m_clickPending = false;
    const QPointer<TQelCustomButton> alive(this);
    const PointerPlace place = clicked ? clickHoldingCrossings() : PointerPlace::AsTracked;
    if (!alive)
        return;
    leftReleased(position, place == PointerPlace::Off ? lkResting : lkHot);
    if (alive)
        settlePointer(place);
}

// The click at a release runs while the pressed look shows, also through a dialog it opens.
TQelCustomButton::PointerPlace TQelCustomButton::clickHoldingCrossings()
{
    stopRepeat(); // the button is no longer held: no tick may click again behind a dialog
    const QPointer<TQelCustomButton> alive(this);
    ++m_crossingHolds;
    Click();
    return alive ? endCrossingHold() : PointerPlace::AsTracked;
}

// Ends a hold; when a crossing came meanwhile, the pointer's real place replaces it.
TQelCustomButton::PointerPlace TQelCustomButton::endCrossingHold()
{
    if (--m_crossingHolds > 0 || !m_crossingNoted)
        return PointerPlace::AsTracked;
    m_crossingNoted = false;
    const bool over = isVisible() && QApplication::widgetAt(QCursor::pos()) == this;
    return over ? PointerPlace::Over : PointerPlace::Off;
}

// Gives the button the entry or exit that a hold kept from it.
void TQelCustomButton::settlePointer(PointerPlace place)
{
    if (place != PointerPlace::AsTracked)
        setUnderPointer(place == PointerPlace::Over);
}

// The second press of a double click: OnDblClick, the press, and one more click. Its release
// clicks no more.
void TQelCustomButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointer<TQelCustomButton> alive(this);
    emit OnDblClick(this);
    if (alive)
        leftPressed(event->position().toPoint());
    if (alive)
        Click();
}

void TQelCustomButton::leftPressed(QPoint position)
{
    if (!isEnabled())
        return;
    if (m_repeatAction)
        RepeatStartTimer->start();
    CaptionHot = true;
    PressOffset = 1;
    DrawButtonFace(lkPressed);
    if (m_popupMenu) {
        const QPointer<TQelCustomButton> alive(this);
        runPopupSequence();
        if (!alive)
            return;
        m_clickPending = false; // the menu took the release
    }
    emit OnMouseDown(this, position);
}

void TQelCustomButton::leftReleased(QPoint position, TLook look)
{
    if (!isEnabled() || PointerLeft != 0)
        return;
    stopRepeat();
    PressOffset = 0;
    DrawButtonFace(look);
    if (isFramed())
        setFocus();
    emit OnMouseUp(this, position);
}

void TQelCustomButton::Click()
{
    const QPointer<TQelCustomButton> alive(this);
    if (m_action)
        m_action->trigger();
    else
        emit OnClick(this);
    if (!alive)
        return;
    kindAction();
    if (!alive || !m_popupMenu || !isEnabled())
        return;
    if (m_repeatAction)
        RepeatStartTimer->start();
    CaptionHot = true;
    PressOffset = 1;
    DrawButtonFace(lkPressed);
    runPopupSequence();
}

void TQelCustomButton::kindAction()
{
    const KindEntry& entry = kinds[m_buttonKind];
    switch (entry.action) {
    case KindAction::ModalResult:
        if (QelForm* form = parentForm())
            form->setModalResult(entry.modalResult);
        break;
    case KindAction::Close:
        if (window() != this)
            window()->close();
        break;
    case KindAction::Help:
        showHelp();
        break;
    case KindAction::None:
        break;
    }
}

// Asks the form for the help topic of the first non-zero help context, going outward.
void TQelCustomButton::showHelp()
{
    int context = m_helpContext;
    for (const QWidget* widget = parentWidget(); context == 0 && widget; widget = widget->parentWidget())
        context = widget->property("HelpContext").toInt();
    QelForm* form = parentForm();
    if (context != 0 && form)
        form->showHelp(context);
}

QelForm* TQelCustomButton::parentForm() const
{
    return window() == this ? nullptr : qobject_cast<QelForm*>(window());
}

QPoint TQelCustomButton::popupMenuPoint(TPositionPopup position, QPoint screenTopLeft, QSize button, QSize menu)
{
    switch (position) {
    case puLeft: // the menu's right edge at the point
        return {screenTopLeft.x() - 1 - menu.width(), screenTopLeft.y()};
    case puRight:
        return {screenTopLeft.x() + button.width() + 1, screenTopLeft.y()};
    case puDown:
        break;
    }
    return {screenTopLeft.x() - 1, screenTopLeft.y() + button.height()};
}

void TQelCustomButton::runPopupSequence()
{
    QMenu* menu = m_popupMenu;
    // The menu's handlers can ask which component opened it.
    menu->setProperty("PopupComponent", QVariant::fromValue(static_cast<QObject*>(this)));
    const QPoint at = popupMenuPoint(m_positionPopup, mapToGlobal(QPoint(0, 0)), size(), menu->sizeHint());
    const QPointer<TQelCustomButton> alive(this);
    ++m_crossingHolds;
    menu->exec(at); // the repeat timers go on firing meanwhile
    if (!alive)
        return;
    const PointerPlace place = endCrossingHold();
    PressOffset = 0;
    CaptionHot = false;
    DrawButtonFace(lkResting);
    stopRepeat();
    settlePointer(place);
}

// Both timers stop whatever RepeatAction says now, so none is left ticking after it was
// switched off during a hold.
void TQelCustomButton::stopRepeat()
{
    RepeatStartTimer->stop();
    RepeatTimer->stop();
}

void TQelCustomButton::RepeatStartTimerTimer()
{
    RepeatStartTimer->stop();
    if (m_repeatAction)
        RepeatTimer->start();
}

void TQelCustomButton::RepeatTimerTimer()
{
    if (m_repeatAction && isSignalConnected(QMetaMethod::fromSignal(&TQelCustomButton::OnClick)))
        emit OnClick(this);
}

void TQelCustomButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    emit OnEnter(this);
    if (isFramed())
        HasFocus = true;
    // A flat button reached from the keyboard shows where the focus is, too; a click does not.
    const Qt::FocusReason reason = event->reason();
    m_keyboardFocus = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    if (m_keyboardFocus && m_showFocused)
        update();
}

void TQelCustomButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    emit OnExit(this);
    if (std::exchange(m_keyboardFocus, false) && m_showFocused)
        update();
    if (isFramed()) {
        HasFocus = false;
        if (m_showFocused)
            update();
    }
}

void TQelCustomButton::focusMovedInForm(QWidget* focused)
{
    if (const auto* button = qobject_cast<TQelCustomButton*>(focused))
        IsActive = button == this;
    else
        IsActive = m_default;
    if (isFramed() && HasFocus && m_showFocused)
        update();
}

bool TQelCustomButton::dialogKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool enter = (key == Qt::Key_Return || key == Qt::Key_Enter) && IsActive;
    const bool escape = key == Qt::Key_Escape && m_cancel;
    if (!(enter || escape) || (modifiers & heldModifiers) || !canFocus())
        return false;
    Click();
    return true;
}

bool TQelCustomButton::dialogChar(QChar character)
{
    const QChar key = accelerator(m_caption);
    if (key.isNull() || key.toCaseFolded() != character.toCaseFolded() || !canFocus())
        return false;
    Click();
    return true;
}

void TQelCustomButton::playEntrySound()
{
    const QByteArray wave = Resources::data(QStringLiteral("PREKO"));
    if (wave.isEmpty())
        return;
    Sound& sound = m_sound ? *m_sound : AlsaSound::shared();
    sound.playWaveImage(std::as_bytes(std::span(wave.constData(), static_cast<std::size_t>(wave.size()))));
}

} // namespace zv
