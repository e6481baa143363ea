#pragma once
// The farm's lists as table models for the main window's three grids. Cells are computed when a
// view asks for them, so refreshing a grid costs the same for ten rows and for ten thousand.

#include <QAbstractTableModel>
#include <QStringList>

class TFarm;
class TScene;

// Roles beyond Qt's own, read by the grid's painter.
enum TGridRole
{
    // QColor of a computer's state square (status column).
    StateSquareRole = Qt::UserRole + 1,
    // int: a scene's Progress() (0 nothing handed out, 1 under way, 2 all handed out).
    ProgressRole,
    // int: a scene's PercentDone().
    PercentRole
};

class TGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The rows the list has; the grid shows at least one row even when this is 0.
    virtual int DataCount() const = 0;

    // Follows the list after a change. Keeps the marked rows where the count stays the same, and
    // only invalidates: the views repaint once, on their next paint event.
    void Reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    TGridModel(TFarm& farm, QStringList headers);
    // The cell of a row that exists in the list.
    virtual QVariant CellData(int row, int column, int role) const = 0;

    TFarm& FFarm;

private:
    QStringList FHeaders;
    // The row count the views were last told of; the list may have changed since.
    int FRows = 1;
};

class TSceneGridModel : public TGridModel
{
    Q_OBJECT
public:
    explicit TSceneGridModel(TFarm& farm);
    int DataCount() const override;

protected:
    QVariant CellData(int row, int column, int role) const override;
};

class TComputerGridModel : public TGridModel
{
    Q_OBJECT
public:
    explicit TComputerGridModel(TFarm& farm);
    int DataCount() const override;

protected:
    QVariant CellData(int row, int column, int role) const override;
};

class TEventGridModel : public TGridModel
{
    Q_OBJECT
public:
    explicit TEventGridModel(TFarm& farm);
    int DataCount() const override;

protected:
    QVariant CellData(int row, int column, int role) const override;
};

// The text of a scene's "Frames" column: the current range and the single frames.
QString SceneFramesText(const TScene& scene);
