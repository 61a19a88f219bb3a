#pragma once

#include "platform/desktop/ColorValue.h"
#include "ui/TRect.h"

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>

class QAction;
class QTimer;

namespace zv {

class QelForm;
class Sound;

// The image button of every window: a self-drawn push button with an optional 3-D frame in
// one of eight styles, a glyph with normal and hot pictures, a caption, a popup-menu mark and
// a focus mark. Twelve kinds give it a stock picture, caption and dialog result.
// All behaviour is here; TQelButton publishes it.
class TQelCustomButton : public QWidget {
    Q_OBJECT

public:
    enum TKind { skCustom, skOK, skCancel, skHelp, skYes, skNo, skClose, skAbort, skRetry, skIgnore, skAll, skSilly };
    Q_ENUM(TKind)
    enum TStyle { stFlat, stDefault, stNone, stRaised, stFlatDot, stRaisedDot, stFrameLowered, stFrameRaised };
    Q_ENUM(TStyle)
    enum TLayout { blGlyphLeft, blGlyphBottom, blGlyphRight, blGlyphTop };
    Q_ENUM(TLayout)
    enum TPositionPopup { puDown, puLeft, puRight };
    Q_ENUM(TPositionPopup)
    enum TColorMarginDefault { cmDefault, cmCustom };
    Q_ENUM(TColorMarginDefault)
    // The three looks a drawing pass can give the button.
    enum TLook { lkResting, lkHot, lkPressed };
    Q_ENUM(TLook)

    explicit TQelCustomButton(QWidget* parent = nullptr);
    ~TQelCustomButton() override;

    bool RepeatAction() const { return m_repeatAction; }
    void setRepeatAction(bool on) { m_repeatAction = on; }
    int RepeatInterval() const;
    void setRepeatInterval(int milliseconds);
    int RepeatStartInterval() const;
    void setRepeatStartInterval(int milliseconds);
    bool ShowFocused() const { return m_showFocused; }
    void setShowFocused(bool on) { m_showFocused = on; }
    bool CursorHandCustom() const { return m_cursorHandCustom; }
    void setCursorHandCustom(bool on) { m_cursorHandCustom = on; }
    TKind ButtonKind() const { return m_buttonKind; }
    void setButtonKind(TKind kind);
    ColorValue ColorMarginLeftTop() const { return m_colorMarginLeftTop; }
    void setColorMarginLeftTop(ColorValue color);
    ColorValue ColorMarginRightBottom() const { return m_colorMarginRightBottom; }
    void setColorMarginRightBottom(ColorValue color);
    TColorMarginDefault ColorMarginStyle() const { return m_colorMarginStyle; }
    void setColorMarginStyle(TColorMarginDefault style);
    QString Version() const;
    void setVersion(const QString&) {} // informational only
    bool PopupMenuMark() const { return m_popupMenuMark; }
    void setPopupMenuMark(bool on);
    int PopupMenuMarkGap() const { return m_popupMenuMarkGap; }
    void setPopupMenuMarkGap(int gap);
    TPositionPopup PositionPopup() const { return m_positionPopup; }
    void setPositionPopup(TPositionPopup position) { m_positionPopup = position; }
    bool PlayMusic() const { return m_playMusic; }
    void setPlayMusic(bool on) { m_playMusic = on; }
    // Not owned; forgotten when the menu is destroyed.
    QMenu* PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* menu);
    ColorValue HotTrackColor() const { return m_hotTrackColor; }
    void setHotTrackColor(ColorValue color) { m_hotTrackColor = color; }
    bool HotTrack() const { return m_hotTrack; }
    void setHotTrack(bool on) { m_hotTrack = on; }
    int Spacing() const { return m_spacing; }
    void setSpacing(int spacing);
    int SpacingLayout() const { return m_spacingLayout; }
    void setSpacingLayout(int spacing);
    int NumGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int frames);
    int NumGlyphsHot() const { return m_numGlyphsHot; }
    void setNumGlyphsHot(int frames);
    QImage Glyph() const { return m_glyph; }
    void setGlyph(const QImage& picture);
    QImage GlyphHot() const { return m_glyphHot; }
    void setGlyphHot(const QImage& picture);
    TLayout Layout() const { return m_layout; }
    void setLayout(TLayout layout);
    TStyle ButtonStyle() const { return m_buttonStyle; }
    void setButtonStyle(TStyle style);
    bool Cancel() const { return m_cancel; }
    void setCancel(bool on) { m_cancel = on; }
    // Takes effect at the next focus move in the form.
    bool Default() const { return m_default; }
    void setDefault(bool on) { m_default = on; }
    QString HintSecondLine() const { return m_hintSecondLine; }
    // Appends CR and the text to a non-empty Hint, at every setting.
    void setHintSecondLine(const QString& text);

    // The ordinary control properties that differ from Qt's own.
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // Setting a colour turns ParentColor off; framed styles force the button face.
    ColorValue Color() const { return m_color; }
    void setColor(ColorValue color);
    bool ParentColor() const { return m_parentColor; }
    void setParentColor(bool on);
    // The hint as recorded; on screen a CR is a line break.
    QString Hint() const { return m_hint; }
    void setHint(const QString& hint);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void setTabStop(bool on) { setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus); }
    int HelpContext() const { return m_helpContext; }
    void setHelpContext(int context) { m_helpContext = context; }
    // Executed by a click instead of raising OnClick.
    QAction* Action() const { return m_action; }
    void setAction(QAction* action) { m_action = action; }

    // The sound for PlayMusic; nullptr means the program's ALSA sound.
    void setSound(Sound* sound) { m_sound = sound; }

    // A click from a program or the keyboard: OnClick (or the action), the kind's action,
    // then the popup menu.
    void Click();
    // Draws one complete look now; it stays until the next paint, which draws the resting look.
    void DrawButtonFace(TLook look);

    // Where the popup menu's top-left corner goes for a button whose top-left corner is at
    // screenTopLeft.
    static QPoint popupMenuPoint(TPositionPopup position, QPoint screenTopLeft, QSize button, QSize menu);

    // Notices from the form layer (QelForm).
    void focusMovedInForm(QWidget* focused);
    // Enter or Escape that no focused control used; true when the button clicked.
    bool dialogKey(int key, Qt::KeyboardModifiers modifiers);
    // A character that no focused control used; true when it was the caption's accelerator.
    bool dialogChar(QChar character);

    QSize sizeHint() const override { return QSize(75, 25); }

signals:
    void OnClick(zv::TQelCustomButton* sender);
    void OnDblClick(zv::TQelCustomButton* sender);
    void OnMouseDown(zv::TQelCustomButton* sender, QPoint position);
    void OnMouseUp(zv::TQelCustomButton* sender, QPoint position);
    void OnMouseMove(zv::TQelCustomButton* sender, QPoint position);
    void OnMouseOver(zv::TQelCustomButton* sender);
    void OnMouseOut(zv::TQelCustomButton* sender);
    void OnEnter(zv::TQelCustomButton* sender);
    void OnExit(zv::TQelCustomButton* sender);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    void RepeatStartTimerTimer();
    void RepeatTimerTimer();

    // One drawing pass on canvas, in the steps of DrawButtonFace.
    void paintLook(QPainter& canvas, TLook look);
    void DrawNormalGlyph(QPainter& canvas);
    void DrawHotGlyph(QPainter& canvas);
    void DrawEmbossed(QPainter& canvas, const QImage& image, int x, int y);
    void CalcGlyphPos();
    void CalcCaptionPos();
    void DrawPopupMark(QPainter& canvas);
    void DrawCaption(QPainter& canvas);

    TRect FaceRect;
    TRect GlyphRect;
    TRect CaptionRect;
    TRect MarkRect;
    int PressOffset = 0;
    QTimer* RepeatTimer = nullptr;
    QTimer* RepeatStartTimer = nullptr;
    QImage FrameBitmap;
    QImage MaskBitmap;
    bool IsActive = false;
    bool HasFocus = false;
    int PointerLeft = 0;
    int NormalFrameWidth = 0;
    int HotFrameWidth = 1;
    bool CaptionHot = false;
    ColorValue DrawColorLeftTop = clBtnHighlight;
    ColorValue DrawColorRightBottom = clBtnShadow;

private:
    bool isFramed() const;
    bool canFocus() const;
    QColor faceColor() const;
    QSize captionExtent() const;
    void assignGlyph(QImage& glyph, int& frames, const QImage& picture);
    void setBounded(int& field, int value, int lowest, int highest);
    void setMarginColor(ColorValue& published, ColorValue& drawn, ColorValue color, ColorValue styleDefault);
    void applyStyleColors();
    void forceButtonFace();
    void drawGlyphOfLook(QPainter& canvas, TLook look);
    void drawFrame(QPainter& canvas, QColor leftTop, QColor rightBottom, int width);
    void drawInnerEdge(QPainter& canvas, TLook look);
    void drawFocusMark(QPainter& canvas);
    void drawTransparent(QPainter& canvas, const QImage& picture, QPoint at);
    void drawCaptionText(QPainter& canvas, const QRect& rect, QColor color);
    void kindAction();
    void showHelp();
    QelForm* parentForm() const;
    void stopRepeat();
    void runPopupSequence();
    // Where a hold leaves the pointer: as the crossings told, or found over or off the button.
    enum class PointerPlace { AsTracked, Over, Off };
    PointerPlace clickHoldingCrossings();
    PointerPlace endCrossingHold();
    void settlePointer(PointerPlace place);
    void setUnderPointer(bool inside);
    void forgetPointer();
    void pointerEntered();
    void pointerLeaving();
    void leftPressed(QPoint position);
    void leftReleased(QPoint position, TLook look);
    void playEntrySound();

    bool m_repeatAction = false;
    bool m_showFocused = true;
    // Holds the focus that Tab or Backtab gave it: every style then shows the focus mark.
    bool m_keyboardFocus = false;
    bool m_cursorHandCustom = true;
    TKind m_buttonKind = skCustom;
    ColorValue m_colorMarginLeftTop = clBtnHighlight;
    ColorValue m_colorMarginRightBottom = clBtnShadow;
    TColorMarginDefault m_colorMarginStyle = cmDefault;
    bool m_popupMenuMark = false;
    int m_popupMenuMarkGap = 5;
    TPositionPopup m_positionPopup = puDown;
    bool m_playMusic = false;
    QPointer<QMenu> m_popupMenu;
    ColorValue m_hotTrackColor = clBlue;
    bool m_hotTrack = true;
    int m_spacing = 4;
    int m_spacingLayout = 3;
    int m_numGlyphs = 2;
    int m_numGlyphsHot = 2;
    QImage m_glyph;
    QImage m_glyphHot;
    TLayout m_layout = blGlyphLeft;
    TStyle m_buttonStyle = stFlat;
    bool m_cancel = false;
    bool m_default = false;
    QString m_hintSecondLine;
    QString m_caption;
    ColorValue m_color = clWindow;
    bool m_parentColor = true;
    QString m_hint;
    int m_helpContext = 0;
    QPointer<QAction> m_action;
    Sound* m_sound = nullptr;
    bool m_dottedFrame = false;
    int m_shortcutId = 0;
    // Set by DrawButtonFace for the paint it causes; every other paint draws the resting look.
    bool m_lookRequested = false;
    TLook m_requestedLook = lkResting;
    // A left press that a release inside the button turns into a click.
    bool m_clickPending = false;
    // Qt reports no exit while the button holds the pointer grab; moves tell it instead.
    bool m_underPointer = false;
    // While the button runs a modal loop of its own (its popup menu, or the click at a release,
    // which may open a dialog), crossings are only noted: a menu's pointer grab and a dialog's
    // opening send exits the pointer never made. The pointer's real place settles them after.
    int m_crossingHolds = 0;
    bool m_crossingNoted = false;
};

// The image button as the windows use it: every property of TQelCustomButton published.
class TQelButton : public TQelCustomButton {
    Q_OBJECT
    // The ordinary control properties first: a stored Hint is there before HintSecondLine.
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(zv::ColorValue Color READ Color WRITE setColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE setParentColor)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(bool TabStop READ TabStop WRITE setTabStop)
    Q_PROPERTY(int HelpContext READ HelpContext WRITE setHelpContext)
    Q_PROPERTY(bool RepeatAction READ RepeatAction WRITE setRepeatAction)
    Q_PROPERTY(int RepeatInterval READ RepeatInterval WRITE setRepeatInterval)
    Q_PROPERTY(int RepeatStartInterval READ RepeatStartInterval WRITE setRepeatStartInterval)
    Q_PROPERTY(bool ShowFocused READ ShowFocused WRITE setShowFocused)
    Q_PROPERTY(bool CursorHandCustom READ CursorHandCustom WRITE setCursorHandCustom)
    Q_PROPERTY(zv::TQelCustomButton::TKind ButtonKind READ ButtonKind WRITE setButtonKind)
    Q_PROPERTY(zv::ColorValue ColorMarginLeftTop READ ColorMarginLeftTop WRITE setColorMarginLeftTop)
    Q_PROPERTY(zv::ColorValue ColorMarginRightBottom READ ColorMarginRightBottom WRITE setColorMarginRightBottom)
    Q_PROPERTY(zv::TQelCustomButton::TColorMarginDefault ColorMarginStyle READ ColorMarginStyle WRITE setColorMarginStyle)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
    Q_PROPERTY(bool PopupMenuMark READ PopupMenuMark WRITE setPopupMenuMark)
    Q_PROPERTY(int PopupMenuMarkGap READ PopupMenuMarkGap WRITE setPopupMenuMarkGap)
    Q_PROPERTY(zv::TQelCustomButton::TPositionPopup PositionPopup READ PositionPopup WRITE setPositionPopup)
    Q_PROPERTY(bool PlayMusic READ PlayMusic WRITE setPlayMusic)
    Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE setPopupMenu)
    Q_PROPERTY(zv::ColorValue HotTrackColor READ HotTrackColor WRITE setHotTrackColor)
    Q_PROPERTY(bool HotTrack READ HotTrack WRITE setHotTrack)
    Q_PROPERTY(int Spacing READ Spacing WRITE setSpacing)
    Q_PROPERTY(int SpacingLayout READ SpacingLayout WRITE setSpacingLayout)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE setNumGlyphs)
    Q_PROPERTY(int NumGlyphsHot READ NumGlyphsHot WRITE setNumGlyphsHot)
    Q_PROPERTY(QImage Glyph READ Glyph WRITE setGlyph)
    Q_PROPERTY(QImage GlyphHot READ GlyphHot WRITE setGlyphHot)
    Q_PROPERTY(zv::TQelCustomButton::TLayout Layout READ Layout WRITE setLayout)
    Q_PROPERTY(zv::TQelCustomButton::TStyle ButtonStyle READ ButtonStyle WRITE setButtonStyle)
    Q_PROPERTY(bool Cancel READ Cancel WRITE setCancel)
    Q_PROPERTY(bool Default READ Default WRITE setDefault)
    Q_PROPERTY(QString HintSecondLine READ HintSecondLine WRITE setHintSecondLine)

public:
    explicit TQelButton(QWidget* parent = nullptr) : TQelCustomButton(parent) {}
};

} // namespace zv
