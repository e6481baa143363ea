#include "farm/farm.h"
#include "options/options.h"
#include "ui/farm_grid.h"
#include "ui/grid_models.h"
#include "ui/look.h"

#include "scripted_people.h"

#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct TGridFarm
{
    TOptions Options { QStringLiteral("grids-test.ini") };
    TScriptedPeople People;
    TManualClock Clock;
    TFarm Farm { Options, People, Clock };

    void AddScene(const QString& filename, int priority = 2)
    {
        auto scene = std::make_unique<TScene>();
        scene->Filename = filename;
        scene->Settings.Priority = priority;
        Farm.Scenes.Add(std::move(scene), true);
    }
};

QString Text(const QAbstractItemModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

QColor Colour(const QAbstractItemModel& model, int row, int column, int role = Qt::ForegroundRole)
{
    return model.data(model.index(row, column), role).value<QColor>();
}

TEST(GridModels, SceneCells)
{
    TGridFarm f;
    auto scene = std::make_unique<TScene>();
    scene->Filename = QStringLiteral("/shots/a/one.lws");
    // No warnings: outputs on the network, distinct, a private copy.
    scene->Data.SaveRGBImagesPrefix = QStringLiteral("//server/rgb");
    scene->Data.SaveAlphaImagesPrefix = QStringLiteral("//server/alpha");
    scene->KestrionFilename = QStringLiteral("/shots/a/one.lns");
    TSceneSettings& s = scene->Settings;
    s.Priority = 3;
    s.Range = true;
    s.CurrentFirst = 1;
    s.CurrentLast = 10;
    s.Singles = true;
    s.SinglesList = QStringLiteral("15 17");
    s.AutomaticCopy = true;
    s.AutomaticVerify = false;
    scene->Reset(f.Farm.Now());
    scene->NextFrames(4);
    scene->Statistics.AddFrameTime(30.0 / 86400);
    scene->Copied = true;
    f.Farm.Scenes.Add(std::move(scene), true);
    auto second = std::make_unique<TScene>();
    second->Filename = QStringLiteral("two.lws");
    second->Settings.Priority = 1;
    second->Settings.Singles = true;
    second->Settings.SinglesList = QStringLiteral("5 9");
    second->Reset(f.Farm.Now());
    f.Farm.Scenes.Add(std::move(second), true);

    TSceneGridModel model(f.Farm);
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 10);
    EXPECT_EQ(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Allocated"));
    const QStringList first { QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("Yes"), QString(),
        QStringLiteral("33 %"), QStringLiteral("one.lws"), QStringLiteral("/shots/a"),
        QStringLiteral("1-10 (1) / 15 17"), QStringLiteral("4"), QStringLiteral("00:04:00") };
    for (int column = 0; column < 10; ++column)
        EXPECT_EQ(Text(model, 0, column), first[column]) << column;
    EXPECT_EQ(model.data(model.index(0, 4), ProgressRole).value<TSceneProgress>(), TSceneProgress::UnderWay);
    EXPECT_EQ(model.data(model.index(0, 4), PercentRole).toInt(), 33);
    EXPECT_EQ(Colour(model, 0, 5), QColor(Qt::white));

    // Not handed out yet: no last frame; a scene with warnings has its name in the alert colour.
    EXPECT_EQ(Text(model, 1, 2), QString());
    EXPECT_EQ(Text(model, 1, 3), QStringLiteral("No"));
    EXPECT_EQ(Text(model, 1, 6), QString());
    EXPECT_EQ(Text(model, 1, 7), QStringLiteral("5 9"));
    EXPECT_EQ(Text(model, 1, 8), QString());
    EXPECT_EQ(Text(model, 1, 9), QString()) << "no frame booked: no estimate";
    EXPECT_EQ(Colour(model, 1, 5), LookAlert());

    f.Options.Debug = true;
    EXPECT_EQ(Text(model, 1, 0), QString::number(f.Farm.Scenes.Item(1).ID));

    // The list follows on Reload, and never shows fewer than one (empty) row.
    f.Farm.Scenes.Clear();
    EXPECT_EQ(Text(model, 0, 5), QString()); // changed under the view: nothing read past the list
    model.Reload();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.DataCount(), 0);
    f.AddScene(QStringLiteral("/x/new.lws"));
    f.AddScene(QStringLiteral("/x/more.lws"));
    model.Reload();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Text(model, 1, 5), QStringLiteral("more.lws"));
}

TEST(GridModels, ComputerAndEventCells)
{
    TGridFarm f;
    f.Options.ScreamerNumbers = QStringLiteral("12 5");
    auto screamer = std::make_unique<TScreamer>();
    screamer->Number = 12; // never started here, so not watched
    f.Farm.Screamers.Add(std::move(screamer));
    for (int number : { 2, 12 }) {
        auto computer = std::make_unique<TComputer>();
        computer->Number = number;
        computer->Memory = number == 2 ? 512 : 256;
        computer->Processors = number == 2 ? 2 : 1;
        computer->Name = QStringLiteral("alpha");
        computer->StateString = QStringLiteral("Ready");
        computer->SceneString = QStringLiteral("/shots/x.lws");
        f.Farm.Computers.Add(std::move(computer));
    }
    TComputerGridModel computers(f.Farm);
    ASSERT_EQ(computers.rowCount(), 2);
    EXPECT_EQ(computers.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Status"));
    EXPECT_EQ(Text(computers, 0, 2), QStringLiteral("512/2"));
    EXPECT_EQ(Text(computers, 1, 2), QStringLiteral("256"));
    EXPECT_EQ(Text(computers, 0, 5), QStringLiteral("x.lws"));
    EXPECT_EQ(Colour(computers, 0, 4, StateSquareRole), StateSquareColour(TNodeState::Ready));
    // Node 2 is another installation's ("12" holds a "2", but not as a whole number).
    const QColor grey(160, 160, 160);
    EXPECT_EQ(Colour(computers, 0, 0), QColor(Qt::white));
    EXPECT_EQ(Colour(computers, 0, 1), grey);
    EXPECT_EQ(Colour(computers, 0, 3), grey);
    EXPECT_EQ(Colour(computers, 1, 1), QColor(Qt::white));
    EXPECT_EQ(Colour(computers, 1, 3), LookAlert());

    TEventGridModel events(f.Farm);
    EXPECT_EQ(events.rowCount(), 1);
    EXPECT_EQ(Text(events, 0, 5), QString());
    f.Farm.Events.AddEvent(0, QStringLiteral("Program"), QString(), QStringLiteral("Started."));
    f.Farm.Events.AddEvent(3, QStringLiteral("Here"), QStringLiteral("Scenes Move"), QStringLiteral("a.lws"));
    f.Farm.Events.AddEvent(1, QStringLiteral("Automatic"), QStringLiteral("Crash/Quit"), QString());
    events.Reload();
    ASSERT_EQ(events.rowCount(), 3);
    EXPECT_EQ(Text(events, 2, 0), QStringLiteral("3"));
    EXPECT_EQ(Text(events, 0, 1), QStringLiteral("..."));
    EXPECT_EQ(Text(events, 1, 1), QString());
    EXPECT_EQ(Text(events, 2, 1), QStringLiteral(".."));
    EXPECT_EQ(Text(events, 1, 2), EventTimeText(f.Clock.Moment));
    EXPECT_EQ(Text(events, 1, 3), QStringLiteral("Here"));
    EXPECT_EQ(Text(events, 1, 4), QStringLiteral("Scenes Move"));
    EXPECT_EQ(Text(events, 1, 5), QStringLiteral("a.lws"));
}

// What the grid's columns take together, the stretching one included.
int ColumnsWidth(const TFarmGrid& grid)
{
    int sum = 0;
    for (int column = 0; column < grid.model()->columnCount(); ++column)
        sum += grid.columnWidth(column);
    return sum;
}

int Inside(const TFarmGrid& grid)
{
    return grid.width() - 2 * grid.frameWidth();
}

// The least width that shows a cell's text whole, drawn `indent` pixels in.
int Whole(const TFarmGrid& grid, const QString& text, int indent = 2)
{
    return indent + QFontMetrics(grid.font()).horizontalAdvance(text);
}

TEST(FarmGrid, FitColumnsAndPainting)
{
    TGridFarm f;
    TFarmGrid computers(TGridKind::Computers, new TComputerGridModel(f.Farm));
    computers.resize(600, 300);
    computers.FitColumns();
    EXPECT_EQ(computers.columnWidth(4), 128);
    EXPECT_EQ(computers.columnWidth(6), 64);
    // The scene column takes what the others leave of the grid's width.
    EXPECT_EQ(ColumnsWidth(computers), Inside(computers));
    computers.resize(450, 300);
    computers.FitColumns();
    EXPECT_EQ(computers.columnWidth(5), 120);

    TFarmGrid events(TGridKind::Events, new TEventGridModel(f.Farm));
    events.resize(600, 300);
    events.FitColumns();
    EXPECT_EQ(events.columnWidth(1), 16);
    EXPECT_EQ(ColumnsWidth(events), Inside(events));

    TFarmGrid scenes(TGridKind::Scenes, new TSceneGridModel(f.Farm));
    scenes.resize(800, 300);
    scenes.FitColumns();
    EXPECT_EQ(scenes.columnWidth(5), 136);
    EXPECT_GE(scenes.columnWidth(8), 32);
    EXPECT_EQ(ColumnsWidth(scenes), Inside(scenes));
    scenes.resize(450, 300);
    scenes.FitColumns();
    EXPECT_EQ(scenes.columnWidth(6), 64);
    EXPECT_EQ(scenes.rowHeight(0), 16);

    // The state square is drawn in the cell, 4 pixels in.
    auto computer = std::make_unique<TComputer>();
    computer->StateString = QStringLiteral("Offline");
    f.Farm.Computers.Add(std::move(computer));
    computers.GridModel().Reload();
    QImage image(computers.viewport()->size(), QImage::Format_RGB32);
    computers.viewport()->render(&image);
    const QPoint inSquare(computers.columnViewportPosition(4) + 8, computers.rowViewportPosition(0) + 8);
    EXPECT_EQ(image.pixelColor(inSquare), StateSquareColour(TNodeState::Offline));
}

TEST(FarmGrid, ColumnsFitTheirHeadersAndValues)
{
    TGridFarm f;
    TFarmGrid scenes(TGridKind::Scenes, new TSceneGridModel(f.Farm));
    scenes.resize(900, 300);
    scenes.FitColumns();
    const QFontMetrics header(scenes.horizontalHeader()->font());
    for (int column : { 1, 4, 8 })
        EXPECT_GE(scenes.columnWidth(column),
            header.horizontalAdvance(scenes.model()->headerData(column, Qt::Horizontal).toString()) + 4)
            << column;

    TFarmGrid computers(TGridKind::Computers, new TComputerGridModel(f.Farm));
    computers.resize(900, 300);
    computers.FitColumns();
    EXPECT_GE(computers.columnWidth(2), header.horizontalAdvance(QStringLiteral("Memory")) + 4);
    auto node = std::make_unique<TComputer>();
    node->Memory = 24106;
    node->Processors = 4;
    node->Name = QStringLiteral("render-workstation-07");
    node->StateString = QStringLiteral("Rendering frame 1200");
    f.Farm.Computers.Add(std::move(node));
    computers.GridModel().Reload();
    EXPECT_GE(computers.columnWidth(2), Whole(computers, QStringLiteral("24106/4")));
    EXPECT_GE(computers.columnWidth(3), Whole(computers, QStringLiteral("render-workstation-07")));
    EXPECT_GE(computers.columnWidth(4), Whole(computers, QStringLiteral("Rendering frame 1200"), 17));
    EXPECT_EQ(ColumnsWidth(computers), Inside(computers));

    // A column the user widened keeps its width; a name of any length stops at a sane width.
    computers.setColumnWidth(3, 300);
    computers.GridModel().Reload();
    EXPECT_EQ(computers.columnWidth(3), 300);
    f.Farm.Computers.Item(0).Name = QString(500, QLatin1Char('n'));
    computers.GridModel().Reload();
    EXPECT_EQ(computers.columnWidth(3), 400);
    computers.FitColumns();
    EXPECT_EQ(computers.columnWidth(3), 400);
    EXPECT_GE(computers.columnWidth(5), 120);
}

TEST(FarmGrid, MouseGestures)
{
    TGridFarm f;
    for (const char* name : { "/s/a.lws", "/s/b.lws", "/s/c.lws" })
        f.AddScene(QString::fromLatin1(name));
    TFarmGrid grid(TGridKind::Scenes, new TSceneGridModel(f.Farm));
    grid.resize(600, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy moved(&grid, &TFarmGrid::RowMoved);
    QSignalSpy hovered(&grid, &TFarmGrid::RowHovered);
    QSignalSpy doubleClicked(&grid, &TFarmGrid::RowDoubleClicked);
    const auto at
        = [&](int row, int column) { return grid.visualRect(grid.model()->index(row, column)).center(); };
    const auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(grid.viewport(), to);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, to);
    };
    EXPECT_EQ(grid.TopRow(), -1);

    // By the first column a row moves; over the others a drag marks a block.
    drag(at(0, 0), at(2, 0));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved[0][0].toInt(), 0);
    EXPECT_EQ(moved[0][1].toInt(), 2);
    EXPECT_EQ(hovered.last()[0].toInt(), 2);
    drag(at(0, 3), at(2, 3));
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(grid.TopRow(), 0);
    EXPECT_EQ(grid.BottomRow(), 2);

    // Below the rows, or onto a row whose scene has gone since the last refresh: no move.
    drag(at(1, 0), QPoint(at(1, 0).x(), 250));
    f.Farm.Scenes.Remove(2);
    drag(at(0, 0), at(2, 0));
    EXPECT_EQ(moved.count(), 1);

    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at(1, 4));
    ASSERT_EQ(doubleClicked.count(), 1);
    EXPECT_EQ(doubleClicked[0][0].toInt(), 1);

    // Marking is clipped to the list and survives a refresh that keeps the row count.
    grid.SelectRows(1, 9);
    EXPECT_EQ(grid.BottomRow(), 1);
    grid.GridModel().Reload();
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.BottomRow(), 1);

    // The empty row of an empty list is neither marked nor moved nor hovered.
    f.Farm.Scenes.Clear();
    grid.GridModel().Reload();
    grid.SelectRows(0, 0);
    EXPECT_EQ(grid.TopRow(), -1);
    const int hovers = static_cast<int>(hovered.count());
    drag(at(0, 0), at(0, 3));
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(hovered.count(), hovers);
}

} // namespace
