#include "LayoutChecks.h"

#include "ui/QelButton.h"
#include "ui/TGroupBox.h"
#include "ui/TShape.h"

#include <QRadioButton>
#include <QGroupBox>
#include <QAbstractButton>
#include <QComboBox>
#include <QDebug>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>
#include <QTableView>

#include <cmath>

#include <algorithm>

namespace zv::test {

namespace {

using Faults = std::vector<std::string>;

constexpr int IconGap = 4;  // Qt's gap between a push button's icon and its text
constexpr int FaceEdge = 1; // an image button's frame covers the face's outer pixel

// A text, the room it needs and the room its control gives it.
struct Fit {
    QString text;
    QSize needed;
    QSize room;
};

std::string describe(const QWidget& widget)
{
    QString text;
    QDebug(&text).nospace() << widget.metaObject()->className() << ' ' << widget.geometry();
    return text.toStdString();
}

QSize textSize(const QWidget& widget, const QString& text)
{
    return {widget.fontMetrics().horizontalAdvance(text), widget.fontMetrics().height()};
}

// A picture beside a text.
QSize besides(QSize text, QSize picture, int gap)
{
    return {text.width() + gap + picture.width(), std::max(text.height(), picture.height())};
}

std::vector<Fit> gridFits(const QTableView& grid)
{
    std::vector<Fit> fits;
    const QHeaderView& header = *grid.horizontalHeader();
    const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    for (int column = 0; column < header.count(); ++column) {
        const QString title = header.model()->headerData(column, Qt::Horizontal).toString();
        fits.push_back({title, textSize(header, title) + QSize(2 * margin, 0),
                        QSize(header.sectionSize(column), header.height())});
    }
    for (int row = 0; row < grid.model()->rowCount(); ++row)
        fits.push_back({QStringLiteral("row %1").arg(row), {0, grid.fontMetrics().height()}, {0, grid.rowHeight(row)}});
    return fits;
}

std::vector<Fit> comboFits(const QComboBox& box)
{
    QStyleOptionComboBox option;
    option.initFrom(&box);
    const QRect field = box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
    std::vector<Fit> fits;
    for (int item = 0; item < box.count(); ++item)
        fits.push_back({box.itemText(item), textSize(box, box.itemText(item)), field.size()});
    return fits;
}

std::vector<Fit> textFits(const QWidget& widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (label->text().isEmpty() || label->wordWrap())
            return {};
        const int m = label->margin();
        return {{label->text(), textSize(widget, label->text()), label->contentsRect().adjusted(m, m, -m, -m).size()}};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        // Push buttons, and radio buttons beside their indicator: what room the style leaves.
        QStyleOptionButton option;
        option.initFrom(button);
        const auto contents = qobject_cast<const QPushButton*>(button) ? QStyle::SE_PushButtonContents
                                                                        : QStyle::SE_RadioButtonContents;
        const QSize text = textSize(widget, button->text());
        return {{button->text(), button->icon().isNull() ? text : besides(text, button->iconSize(), IconGap),
                 button->style()->subElementRect(contents, &option, button).size()}};
    }
    if (const auto* button = qobject_cast<const TQelCustomButton*>(&widget)) {
        const QSize text = textSize(widget, button->Caption());
        const QImage& glyph = button->Glyph();
        const QSize frame(glyph.width() / std::max(1, button->NumGlyphs()), glyph.height());
        return {{button->Caption(), glyph.isNull() ? text : besides(text, frame, button->Spacing()),
                 button->size() - QSize(2 * FaceEdge, 2 * FaceEdge)}};
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        const QSize caption = textSize(widget, group->title());
        return {{group->title(), caption + QSize(TGroupBox::CaptionLeft + 2 * TGroupBox::CaptionGap, 0), group->size()}};
    }
    if (const auto* box = qobject_cast<const QComboBox*>(&widget))
        return comboFits(*box);
    if (const auto* grid = qobject_cast<const QTableView*>(&widget))
        return gridFits(*grid);
    return {};
}

// Pictures and panels lie behind other controls on purpose: the banner under the upper
// fields, a dialog's background picture, the panels that frame rows of controls.
bool isBackdrop(const QWidget& widget)
{
    const auto* label = qobject_cast<const QLabel*>(&widget);
    return qobject_cast<const TShape*>(&widget) || (label && !label->pixmap().isNull());
}

bool isAllowed(const QWidget& a, const QWidget& b, const std::vector<AllowedOverlap>& allowed)
{
    const QRect shared = a.geometry().intersected(b.geometry());
    return std::any_of(allowed.begin(), allowed.end(), [&](const AllowedOverlap& overlap) {
        const bool pair = (overlap.first == &a && overlap.second == &b) || (overlap.first == &b && overlap.second == &a);
        return pair && std::min(shared.width(), shared.height()) <= overlap.pixels;
    });
}

void checkSiblings(const QWidget& a, const QWidget& b, const std::vector<AllowedOverlap>& allowed, Faults& faults)
{
    if (!a.geometry().intersects(b.geometry()) || (isBackdrop(a) && isBackdrop(b)))
        return;
    if (!isBackdrop(a) && !isBackdrop(b)) {
        if (!isAllowed(a, b, allowed))
            faults.push_back(describe(a) + " overlaps " + describe(b));
        return;
    }
    // A control on a panel lies wholly on it; pictures may run under anything.
    const QWidget& backdrop = isBackdrop(a) ? a : b;
    const QWidget& control = isBackdrop(a) ? b : a;
    if (qobject_cast<const TShape*>(&backdrop) && !backdrop.geometry().contains(control.geometry()))
        faults.push_back(describe(control) + " lies half on the panel " + describe(backdrop));
}

void checkControl(const QWidget& control, const QWidget& parent, Faults& faults)
{
    // A background picture as large as its window or larger is cut at the window's edge.
    const bool background = isBackdrop(control) && control.geometry().contains(parent.rect());
    if (!background && !parent.rect().contains(control.geometry()))
        faults.push_back(describe(control) + " is cut off by " + describe(parent));
    for (const Fit& fit : textFits(control)) {
        if (fit.needed.width() > fit.room.width() || fit.needed.height() > fit.room.height()) {
            QString text;
            QDebug(&text).nospace() << fit.text << " needs " << fit.needed << " but has " << fit.room << " in ";
            faults.push_back(text.toStdString() + describe(control));
        }
    }
}

void checkControlsOn(const QWidget& parent, const std::vector<AllowedOverlap>& allowed, Faults& faults)
{
    std::vector<const QWidget*> controls;
    for (const QWidget* child : parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && child->isVisibleTo(&parent))
            controls.push_back(child);
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        checkControl(*controls[i], parent, faults);
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            checkSiblings(*controls[i], *controls[j], allowed, faults);
        // Plain widgets and group boxes hold controls; inside any other control is Qt's.
        if (controls[i]->metaObject() == &QWidget::staticMetaObject || qobject_cast<const QGroupBox*>(controls[i]))
            checkControlsOn(*controls[i], allowed, faults);
    }
}

// Where a control draws its caption, in its own coordinates; empty for one without a caption.
QRect captionArea(const QWidget& control)
{
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return label->text().isEmpty() ? QRect() : label->rect();
    if (const auto* button = qobject_cast<const TQelCustomButton*>(&control))
        return button->Caption().isEmpty() ? QRect() : button->rect();
    if (const auto* group = qobject_cast<const QGroupBox*>(&control)) // above the frame's top line
        return group->title().isEmpty() ? QRect() : QRect(0, 0, group->width(), group->fontMetrics().height() / 2);
    const auto* check = qobject_cast<const QAbstractButton*>(&control);
    if (!check || check->text().isEmpty() || !check->isCheckable())
        return {};
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    const bool radio = qobject_cast<const QRadioButton*>(check);
    return check->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option,
                                          check);
}

// The highest contrast of a text pixel (one that differs between shown and marked) against the
// nearest pixel left of it that no text covers; 21 when no pixel differs (the text's colour
// is no palette's).
double textContrast(const QImage& shown, const QImage& marked, const QRect& area)
{
    bool anyText = false;
    double highest = 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QColor behind = shown.pixelColor(area.left(), y);
        for (int x = area.left(); x <= area.right(); ++x) {
            if (shown.pixel(x, y) == marked.pixel(x, y)) {
                behind = shown.pixelColor(x, y);
                continue;
            }
            anyText = true;
            highest = std::max(highest, contrastRatio(shown.pixelColor(x, y), behind));
        }
    }
    return anyText ? highest : 21;
}

QImage grabbed(QWidget& window) { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const auto luminance = [&](const QColor& c) {
        return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
    };
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

std::vector<std::string> captionContrastFaults(QWidget& window)
{
    Faults faults;
    const QImage shown = grabbed(window);
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const QRect area = captionArea(*control);
        if (area.isEmpty() || !control->isVisibleTo(&window) || control->window() != &window)
            continue;
        const QPalette own = control->palette();
        QPalette marking = own;
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            marking.setColor(role, Qt::magenta);
        control->setPalette(marking);
        const QImage marked = grabbed(window);
        control->setPalette(own);
        const QRect inWindow(control->mapTo(&window, area.topLeft()), area.size());
        const double contrast = textContrast(shown, marked, inWindow.intersected(shown.rect()));
        if (contrast < 4.5)
            faults.push_back(describe(*control) + " reaches only " + std::to_string(contrast) + ":1");
    }
    return faults;
}

std::vector<std::string> layoutFaults(const QWidget& window, const std::vector<AllowedOverlap>& allowed)
{
    Faults faults;
    checkControlsOn(window, allowed, faults);
    return faults;
}

} // namespace zv::test
