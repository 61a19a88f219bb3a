#include "ui/LinkDropTarget.h"

#include "transfer/LinkAdding.h"

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QWidget>

namespace zv {

LinkDropTarget::LinkDropTarget(std::function<void(LinkBatch)> take, QObject* parent)
    : QObject(parent), m_take(std::move(take))
{
}

void LinkDropTarget::watchDrops(QWidget& widget)
{
    widget.setAcceptDrops(true);
    widget.installEventFilter(this);
}

void LinkDropTarget::watchPaste(QWidget& widget)
{
    m_pasteTarget = &widget;
    widget.installEventFilter(this);
}

LinkBatch LinkDropTarget::linksIn(const QMimeData& data)
{
    const QString uriList = QStringLiteral("text/uri-list");
    const QByteArray text = data.hasFormat(uriList) ? data.data(uriList) : data.text().toUtf8();
    LinkBatch batch;
    batch.urls = LinkAdding::linksIn(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    return batch;
}

bool LinkDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData() && !linksIn(*drag->mimeData()).urls.empty()) {
            drag->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (takeLinks(drop->mimeData())) {
            drop->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (watched == m_pasteTarget && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
            // The grid has no other use for Ctrl+V.
            takeLinks(QGuiApplication::clipboard()->mimeData());
            return true;
        }
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

bool LinkDropTarget::takeLinks(const QMimeData* data)
{
    if (!data)
        return false;
    LinkBatch batch = linksIn(*data);
    if (batch.urls.empty())
        return false;
    m_take(std::move(batch));
    return true;
}

} // namespace zv
