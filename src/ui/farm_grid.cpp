#include "ui/farm_grid.h"

#include "model/scene.h"
#include "ui/grid_models.h"
#include "ui/look.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

namespace {

constexpr int RowHeight = 16;
constexpr int TextIndent = 2;
constexpr int StatusTextIndent = 17;
constexpr int ComputerStatusColumn = 4;
constexpr int SceneAllocatedColumn = 4;
constexpr int ProgressBarHeight = 3;

constexpr int TextRightGap = 4;
// The header draws its text after its own padding and the style's margin.
constexpr int HeaderTextGap = 10;
// However long a name, a column grows no wider than this; the cell clips the rest.
constexpr int WidestFit = 400;
// The rows measured for the columns' widths: those in sight, at most this many.
constexpr int MeasuredRows = 200;

// The widths the columns start from; -1 marks the column that takes the rest of the grid's width.
struct TColumnPlan
{
    std::vector<int> Widths;
    int Minimum; // the stretching column's least width
};

TColumnPlan ColumnPlan(TGridKind kind)
{
    switch (kind) {
    case TGridKind::Scenes:
        return { { 32, 40, 24, 24, 64, 136, -1, 96, 32, 56 }, 64 };
    case TGridKind::Computers:
        return { { 32, 32, 48, 64, 128, -1, 64 }, 120 };
    case TGridKind::Events:
        break;
    }
    return { { 32, 16, 128, 64, 128, -1 }, 120 };
}

// A colour between `colour` and white, visible on LookHalf however dark the look is.
QColor Lifted(const QColor& colour, int share)
{
    return QColor(colour.red() + (255 - colour.red()) * share / 100,
        colour.green() + (255 - colour.green()) * share / 100,
        colour.blue() + (255 - colour.blue()) * share / 100);
}

// Draws every cell itself: texts whole from 2 pixels in, clipped by the cell, the computers'
// state squares and the scenes' progress.
class TGridDelegate : public QStyledItemDelegate
{
public:
    TGridDelegate(TGridKind kind, QObject* parent)
        : QStyledItemDelegate(parent)
        , FKind(kind)
    { }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect cell = option.rect;
        painter->save();
        painter->setClipRect(cell);
        if (option.state & QStyle::State_Selected)
            painter->fillRect(cell, option.palette.highlight());
        int indent = TextIndent;
        if (FKind == TGridKind::Computers && index.column() == ComputerStatusColumn) {
            const QVariant square = index.data(StateSquareRole);
            if (square.isValid())
                painter->fillRect(QRect(cell.left() + 4, cell.top() + 4, 9, 9), square.value<QColor>());
            indent = StatusTextIndent;
        }
        if (FKind == TGridKind::Scenes && index.column() == SceneAllocatedColumn)
            PaintProgress(painter, cell, index);
        painter->setFont(option.font);
        painter->setPen(index.data(Qt::ForegroundRole).value<QColor>());
        painter->drawText(cell.adjusted(indent, TextIndent, 0, 0),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return { 64, RowHeight };
    }

private:
    // A strip along the cell's bottom: part of it while frames are handed out, all of it when done.
    static void PaintProgress(QPainter* painter, const QRect& cell, const QModelIndex& index)
    {
        const auto progress = index.data(ProgressRole).value<TSceneProgress>();
        if (progress == TSceneProgress::NothingHandedOut)
            return;
        int width = cell.width();
        if (progress == TSceneProgress::UnderWay)
            width = width * std::clamp(index.data(PercentRole).toInt(), 0, 100) / 100;
        painter->fillRect(QRect(cell.left(), cell.bottom() - ProgressBarHeight + 1, width, ProgressBarHeight),
            Lifted(LookHalf(), 60));
    }

    TGridKind FKind;
};

} // namespace

TFarmGrid::TFarmGrid(TGridKind kind, TGridModel* model, QWidget* parent)
    : QTableView(parent)
    , FKind(kind)
    , FModel(model)
{
    if (!model->parent())
        model->setParent(this);
    setModel(model);
    setItemDelegate(new TGridDelegate(kind, this));

    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    horizontalHeader()->setFont(small);

    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(RowHeight);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setFixedHeight(RowHeight);

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    ApplyColours();
    FitColumns();
    // New values, and rows scrolled into sight, may need wider columns.
    connect(model, &QAbstractItemModel::dataChanged, this, &TFarmGrid::FitContents);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TFarmGrid::FitContents);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TFarmGrid::FitContents);
}

void TFarmGrid::ApplyColours()
{
    const QColor half = LookHalf();
    const QColor third = LookThird();
    const QColor white(255, 255, 255);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, half);
    colours.setColor(QPalette::Window, half);
    colours.setColor(QPalette::Text, white);
    colours.setColor(QPalette::WindowText, white);
    colours.setColor(QPalette::Highlight, Lifted(half, 25));
    colours.setColor(QPalette::HighlightedText, white);
    // The grid lines.
    colours.setColor(QPalette::Mid, third);
    setPalette(colours);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView { background-color: %1; border: none; }"
                       "QHeaderView::section { background-color: %1; color: white; border: none;"
                       " border-right: 1px solid %2; padding: 0px 0px 0px 2px; }")
            .arg(third.name(), half.name()));
    viewport()->update();
}

// The grid's own size, once its layout has given it: the window's size comes before that.
void TFarmGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    FitColumns();
}

void TFarmGrid::FitColumns()
{
    const TColumnPlan plan = ColumnPlan(FKind);
    for (size_t column = 0; column < plan.Widths.size(); ++column)
        if (plan.Widths[column] >= 0)
            setColumnWidth(static_cast<int>(column),
                std::max(plan.Widths[column], NeededWidth(static_cast<int>(column))));
    FitStretchColumn();
}

void TFarmGrid::FitContents()
{
    // Only widens: a column the user made wider keeps its width as values come and go.
    const TColumnPlan plan = ColumnPlan(FKind);
    bool widened = false;
    for (size_t column = 0; column < plan.Widths.size(); ++column) {
        const int index = static_cast<int>(column);
        const int needed = NeededWidth(index);
        if (plan.Widths[column] >= 0 && needed > columnWidth(index)) {
            setColumnWidth(index, needed);
            widened = true;
        }
    }
    if (widened)
        FitStretchColumn();
}

void TFarmGrid::FitStretchColumn()
{
    const TColumnPlan plan = ColumnPlan(FKind);
    int taken = 0;
    int stretch = -1;
    for (size_t column = 0; column < plan.Widths.size(); ++column) {
        if (plan.Widths[column] < 0)
            stretch = static_cast<int>(column);
        else
            taken += columnWidth(static_cast<int>(column));
    }
    // The grid's own width, not its viewport's: a grid not yet shown has no viewport size.
    int inside = width() - 2 * frameWidth();
    if (verticalScrollBar()->isVisibleTo(this))
        inside -= verticalScrollBar()->width();
    setColumnWidth(stretch, std::max(plan.Minimum, inside - taken));
}

int TFarmGrid::NeededWidth(int column) const
{
    const QString header = FModel->headerData(column, Qt::Horizontal).toString();
    int needed
        = header.isEmpty() ? 0 : horizontalHeader()->fontMetrics().horizontalAdvance(header) + HeaderTextGap;
    const int indent
        = FKind == TGridKind::Computers && column == ComputerStatusColumn ? StatusTextIndent : TextIndent;
    const QFontMetrics metrics(font());
    const int first = std::max(0, rowAt(0));
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = FModel->DataCount() - 1;
    last = std::min({ last, FModel->DataCount() - 1, first + MeasuredRows - 1 });
    for (int row = first; row <= last; ++row) {
        const QString text = FModel->index(row, column).data().toString();
        if (!text.isEmpty())
            needed = std::max(needed, indent + metrics.horizontalAdvance(text) + TextRightGap);
    }
    return std::min(needed, WidestFit);
}

int TFarmGrid::TopRow() const
{
    const QItemSelection marked = selectionModel()->selection();
    if (marked.isEmpty())
        return -1;
    int top = marked.first().top();
    for (const QItemSelectionRange& range : marked)
        top = std::min(top, range.top());
    return top < FModel->DataCount() ? top : -1;
}

int TFarmGrid::BottomRow() const
{
    const int top = TopRow();
    if (top < 0)
        return -1;
    int bottom = top;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        bottom = std::max(bottom, range.bottom());
    return std::min(bottom, FModel->DataCount() - 1);
}

void TFarmGrid::SelectRows(int top, int bottom)
{
    const int last = FModel->DataCount() - 1;
    top = std::max(top, 0);
    bottom = std::min(bottom, last);
    if (top > bottom) {
        clearSelection();
        return;
    }
    const QItemSelection rows(FModel->index(top, 0), FModel->index(bottom, FModel->columnCount() - 1));
    selectionModel()->setCurrentIndex(FModel->index(top, 0), QItemSelectionModel::NoUpdate);
    selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int TFarmGrid::DataRowAt(const QPoint& position) const
{
    const int row = rowAt(position.y());
    return row >= 0 && row < FModel->DataCount() ? row : -1;
}

void TFarmGrid::mousePressEvent(QMouseEvent* event)
{
    // The first column is the rows' handle, as the fixed column of a grid: a row is moved by
    // dragging it there, and a drag over the other columns marks a block of rows.
    const QModelIndex cell = indexAt(event->position().toPoint());
    const int row = DataRowAt(event->position().toPoint());
    if (FKind != TGridKind::Events && event->button() == Qt::LeftButton && cell.column() == 0 && row >= 0) {
        FDragFrom = row;
        SelectRows(row, row);
        viewport()->setCursor(Qt::SizeVerCursor);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TFarmGrid::mouseMoveEvent(QMouseEvent* event)
{
    const int row = DataRowAt(event->position().toPoint());
    if (row >= 0)
        Q_EMIT RowHovered(row);
    if (FDragFrom >= 0) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void TFarmGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (FDragFrom < 0 || event->button() != Qt::LeftButton) {
        QTableView::mouseReleaseEvent(event);
        return;
    }
    const int from = FDragFrom;
    FDragFrom = -1;
    viewport()->unsetCursor();
    event->accept();
    const int to = DataRowAt(event->position().toPoint());
    if (to >= 0 && to != from)
        Q_EMIT RowMoved(from, to);
}

void TFarmGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = DataRowAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && row >= 0) {
        event->accept();
        Q_EMIT RowDoubleClicked(row);
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}
