#pragma once
// The main window's grids: scenes, computers and events, each showing its grid model in rows of
// 16 pixels in the look colours.

#include <QTableView>

class TGridModel;

enum class TGridKind
{
    Scenes,
    Computers,
    Events
};

class TFarmGrid : public QTableView
{
    Q_OBJECT
public:
    // Takes over a model that has no parent yet.
    TFarmGrid(TGridKind kind, TGridModel* model, QWidget* parent = nullptr);

    TGridKind Kind() const { return FKind; }
    TGridModel& GridModel() const { return *FModel; }

    // The marked block of list rows (from 0); -1 when nothing or only the empty row is marked.
    int TopRow() const;
    int BottomRow() const;
    // Marks the list rows top to bottom (clipped to the list).
    void SelectRows(int top, int bottom);

    // Every column as wide as its header and the values in sight need, at least its planned
    // width; the one stretching column takes what the grid's width leaves.
    void FitColumns();
    // Widens the columns whose values in sight no longer fit.
    void FitContents();
    // The look colours: cells LookHalf, header LookThird, white text.
    void ApplyColours();

Q_SIGNALS:
    // A row dragged by its first column onto another row; list rows from 0.
    void RowMoved(int from, int to);
    void RowHovered(int index);
    void RowDoubleClicked(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void FitStretchColumn();
    // What a column needs to show its header and the values in sight whole.
    int NeededWidth(int column) const;
    // The list row under a viewport position; -1 for the empty row and below the last row.
    int DataRowAt(const QPoint& position) const;

    TGridKind FKind;
    TGridModel* FModel;
    // The row being dragged, -1 when none.
    int FDragFrom = -1;
};
