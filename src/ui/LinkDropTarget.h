#pragma once

#include "transfer/LinkBatch.h"

#include <QObject>

#include <functional>

class QMimeData;

namespace zv {

// Links dropped on the widgets it watches, or pasted with Ctrl+V into the one it watches for
// pasting, go to take: a text/uri-list or plain text holding at least one http or https link.
// The clipboard is only read.
class LinkDropTarget final : public QObject {
    Q_OBJECT

public:
    explicit LinkDropTarget(std::function<void(LinkBatch)> take, QObject* parent = nullptr);

    void watchDrops(QWidget& widget);
    void watchPaste(QWidget& widget);

    // The batch in mime data; no URLs when it holds no web link.
    static LinkBatch linksIn(const QMimeData& data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool takeLinks(const QMimeData* data);

    std::function<void(LinkBatch)> m_take;
    QWidget* m_pasteTarget = nullptr;
};

} // namespace zv
