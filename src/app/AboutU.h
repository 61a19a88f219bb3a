#pragma once

#include "ui/QelForm.h"

class QLabel;

namespace zv {

class Shell;
class TQelButton;

// The about box: a picture, the maker's web address and the support address as links,
// and "Ok". A clicked link turns maroon.
class TAbout final : public QelForm {
    Q_OBJECT

public:
    static constexpr const char* WebAddress = "https://zarevantrel.example/";
    static constexpr const char* SupportAddress = "help@zarevantrel.example";

    TAbout(Shell& shell, QWidget* parent = nullptr);

    QLabel* webLink() const { return m_webLink; }
    QLabel* mailLink() const { return m_mailLink; }
    TQelButton* okButton() const { return m_ok; }

    void WebLinkClick();
    void MailLinkClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* makeLink(const QString& text, int top);
    static void markVisited(QLabel* link);

    Shell& m_shell;
    QLabel* m_webLink;
    QLabel* m_mailLink;
    TQelButton* m_ok;
};

} // namespace zv
