#pragma once

#include <QDialog>
#include <QList>

namespace zv {

class TQelCustomButton;

// The dialog results a form's modal run ends with; image buttons of the stock kinds set them.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
};

// A dialog window that gives its image buttons what a dialog framework gives its controls:
// Enter and Escape that the focused control did not use are offered to the buttons (the
// active one takes Enter, a Cancel one Escape), so are characters (accelerators), every
// button hears of every focus move, and a modal result ends a modal run.
class QelForm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(int HelpContext READ HelpContext WRITE setHelpContext)

public:
    explicit QelForm(QWidget* parent = nullptr);
    ~QelForm() override;

    int ModalResult() const { return m_modalResult; }
    // A result other than mrNone ends the modal run, when there is one, with that result.
    void setModalResult(int result);

    int HelpContext() const { return m_helpContext; }
    void setHelpContext(int context) { m_helpContext = context; }
    // Asked by a help button with the first non-zero help context it found.
    void showHelp(int context) { emit helpRequested(context); }

    // Starts with no result; returns the one that ended the run.
    int exec() override;
    void done(int result) override;
    // The close box and an unused Escape end the run as Cancel.
    void reject() override;

signals:
    void helpRequested(int context);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QList<TQelCustomButton*> buttons() const;
    void focusMoved(QWidget* now);
    void tellButtons(QWidget* focused);
    bool offerDialogKey(const QKeyEvent& event);
    bool offerDialogChar(const QKeyEvent& event);

    QMetaObject::Connection m_focusWatch;
    int m_modalResult = mrNone;
    int m_helpContext = 0;
};

} // namespace zv
