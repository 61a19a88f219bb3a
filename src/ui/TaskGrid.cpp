#include "ui/TaskGrid.h"

#include "platform/text/ByteText.h"
#include "platform/text/MaskedUrl.h"
#include "tasks/TaskTable.h"
#include "ui/TaskTableModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QToolTip>

namespace zv {

namespace {

const QColor GridLineColor(192, 192, 192);

class TaskGridDelegate final : public QStyledItemDelegate {
public:
    explicit TaskGridDelegate(TaskGrid& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        GridDrawState state;
        state.selected = option.state & QStyle::State_Selected;
        state.focused = state.selected && m_grid.hasFocus() && index.column() == m_grid.currentColumn();
        const QRect rect = option.rect.adjusted(0, 0, 0, -1); // the last line is the row's line
        painter->save();
        m_grid.drawStandardCell(*painter, rect, index.data().toString(), state);
        if (m_grid.onDrawCell())
            m_grid.onDrawCell()(*painter, index.column(), index.row() + 1, rect, state);
        painter->restore();
        painter->save();
        painter->setPen(GridLineColor);
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {64, TaskGrid::RowHeight};
    }

private:
    TaskGrid& m_grid;
};

} // namespace

TaskGrid::TaskGrid(TaskTable& table, QWidget* parent)
    : QTableView(parent), m_model(new TaskTableModel(table, this))
{
    setModel(m_model);
    setItemDelegate(new TaskGridDelegate(*this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(RowHeight);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setFixedHeight(RowHeight);
    horizontalHeader()->setStyleSheet(
        "QHeaderView::section { background: white; color: black; border: none;"
        " border-bottom: 1px solid #c0c0c0; border-right: 1px solid #e0e0e0; padding-left: 2px; }");
    connect(m_model, &TaskTableModel::currentRowChanged, this, &TaskGrid::showTableCurrentRow);
    connect(m_model, &QAbstractItemModel::modelReset, this,
            [this] { showTableCurrentRow(this->table().currentRow()); });
}

TaskTable& TaskGrid::table() const
{
    return m_model->table();
}

int TaskGrid::currentColumn() const
{
    return std::max(currentIndex().column(), 0);
}

void TaskGrid::drawStandardCell(QPainter& painter, const QRect& rect, const QString& text,
                                const GridDrawState& state) const
{
    const QPalette& colours = palette();
    const bool highlighted = state.selected;
    painter.fillRect(rect, colours.color(highlighted ? QPalette::Highlight : QPalette::Base));
    painter.setPen(highlighted ? colours.color(QPalette::HighlightedText)
                               : colours.color(QPalette::Text));
    painter.setClipRect(rect);
    const QRect textRect = rect.adjusted(TextOffset, TextOffset, 0, 0);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.setClipping(false);
}

QString TaskGrid::cutText(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    const QString text = index.data().toString();
    const int room = visualRect(index).width() - TextOffset;
    return fontMetrics().horizontalAdvance(text) > room ? text : QString();
}

QString TaskGrid::tipText(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    QStringList lines;
    if (m_onRowTip) {
        if (const std::string rowLines = m_onRowTip(index.row() + 1); !rowLines.empty())
            lines << QString::fromStdString(rowLines);
    }
    // The URL cell shows its secrets, being where they are typed; its tooltip does not.
    if (const QString cut = cutText(index); !cut.isEmpty())
        lines << (index.column() == ColUrl ? ByteText::decode(maskedUrl(ByteText::encode(cut))) : cut);
    return lines.join(QLatin1Char('\n'));
}

bool TaskGrid::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = tipText(index);
    if (text.isEmpty()) {
        m_tipIndex = QPersistentModelIndex();
        QToolTip::hideText();
        return true;
    }
    m_tipIndex = index;
    m_tipPosition = help->globalPos();
    showTip(text);
    return true;
}

void TaskGrid::refreshTip()
{
    if (!m_tipIndex.isValid() || !QToolTip::isVisible())
        return;
    const QString text = tipText(m_tipIndex);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        showTip(text);
}

void TaskGrid::showTip(const QString& text)
{
    // Always as plain text: a first line that looks like markup (a URL or file name of a
    // hand-made list) would make the tooltip read the whole as rich text, so it is escaped then.
    const QString shown = Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
    QToolTip::showText(m_tipPosition, shown, viewport(), visualRect(m_tipIndex));
}

void TaskGrid::mousePressEvent(QMouseEvent* event)
{
    // Only the left button and the keyboard select; the context menu acts on the row
    // selected before.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TaskGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    m_syncing = true;
    table().setCurrentRow(current.row() + 1);
    m_syncing = false;
}

void TaskGrid::showTableCurrentRow(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (row >= 1 && row <= m_model->rowCount()) {
        const int column = std::max(currentIndex().column(), 0);
        setCurrentIndex(m_model->index(row - 1, column));
        selectRow(row - 1);
    } else {
        clearSelection();
    }
    m_syncing = false;
}

} // namespace zv
