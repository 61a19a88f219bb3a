#include "ui/QelForm.h"

#include "ui/QelButton.h"

#include <QApplication>
#include <QKeyEvent>

namespace zv {

QelForm::QelForm(QWidget* parent) : QDialog(parent)
{
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { focusMoved(now); });
}

// Destroying the children moves the focus; by then this is no form any more.
QelForm::~QelForm()
{
    disconnect(m_focusWatch);
}

void QelForm::setModalResult(int result)
{
    m_modalResult = result;
    if (result != mrNone && isModal() && isVisible())
        done(result);
}

int QelForm::exec()
{
    m_modalResult = mrNone;
    return QDialog::exec();
}

void QelForm::done(int result)
{
    m_modalResult = result;
    QDialog::done(result);
}

void QelForm::reject()
{
    done(mrCancel);
}

void QelForm::keyPressEvent(QKeyEvent* event)
{
    if (offerDialogKey(*event) || offerDialogChar(*event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QList<TQelCustomButton*> QelForm::buttons() const
{
    return findChildren<TQelCustomButton*>();
}

// A form shown without any control taking the focus holds the focus itself: its buttons
// hear of that too, so the Default one answers Enter.
void QelForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    tellButtons(focusWidget() ? focusWidget() : this);
}

void QelForm::focusMoved(QWidget* now)
{
    if (now && now->window() == this)
        tellButtons(now);
}

void QelForm::tellButtons(QWidget* focused)
{
    for (TQelCustomButton* button : buttons())
        button->focusMovedInForm(focused);
}

bool QelForm::offerDialogKey(const QKeyEvent& event)
{
    const int key = event.key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape)
        return false;
    for (TQelCustomButton* button : buttons()) {
        if (button->dialogKey(key, event.modifiers()))
            return true;
    }
    return false;
}

bool QelForm::offerDialogChar(const QKeyEvent& event)
{
    const QString text = event.text();
    if (text.size() != 1 || !text.front().isPrint() || event.modifiers() & Qt::ControlModifier)
        return false;
    for (TQelCustomButton* button : buttons()) {
        if (button->dialogChar(text.front()))
            return true;
    }
    return false;
}

} // namespace zv
