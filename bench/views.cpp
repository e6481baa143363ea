// How long the main window's grids take to follow a large farm: one Reload with the events it
// leaves processed (the repaint included), one full repaint, a Reload that adds a row, and a
// burst of reloads as one busy dispatch tick would give, which must end in one paint only.
// Usage: bench_views [smoke]
#include "bench_tools.h"
#include "farm/farm.h"
#include "options/options.h"
#include "support/people.h"
#include "ui/farm_grid.h"
#include "ui/grid_models.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

double MedianOf(int runs, const std::function<void()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(Milliseconds(run));
    return Median(times);
}

// Counts the paint events a widget gets.
class TPaintCounter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(watched, event);
    }
    int Paints = 0;
};

std::unique_ptr<TScene> MakeScene(int index)
{
    auto scene = std::make_unique<TScene>();
    scene->Filename
        = QStringLiteral("/farm/shots/sq%1/shot%2.lws").arg(index / 100).arg(index, 5, 10, QLatin1Char('0'));
    scene->KestrionFilename = scene->Filename.chopped(3) + SceneCopyExtension;
    scene->Data.SaveRGBImagesPrefix = QStringLiteral("//server/frames/shot");
    scene->Data.SaveAlphaImagesPrefix = QStringLiteral("//server/frames/alpha");
    TSceneSettings& settings = scene->Settings;
    settings.Priority = 1 + index % 5;
    settings.Range = true;
    settings.CurrentFirst = 1;
    settings.CurrentLast = 250;
    settings.Singles = index % 3 == 0;
    settings.SinglesList = QStringLiteral("300 310 320");
    settings.AutomaticCopy = index % 2 == 0;
    scene->Reset(NowDateTime());
    settings.RangeLast = index % 251;
    settings.RenderLast = static_cast<int>(settings.RangeLast);
    return scene;
}

struct TGridBench
{
    const char* Name;
    TGridKind Kind;
    TGridModel* Model;
    std::function<void()> Grow;
};

void Measure(const TGridBench& bench, int runs)
{
    TFarmGrid grid(bench.Kind, bench.Model);
    grid.resize(1200, 800);
    grid.show();
    grid.FitColumns();
    TPaintCounter counter;
    grid.viewport()->installEventFilter(&counter);
    QApplication::processEvents();

    TGridModel& model = grid.GridModel();
    const double reload = MedianOf(runs, [&] {
        model.Reload();
        QApplication::processEvents();
    });
    const double repaint = MedianOf(runs, [&] { grid.viewport()->repaint(); });
    const double grow = MedianOf(runs, [&] {
        bench.Grow();
        model.Reload();
        QApplication::processEvents();
    });
    counter.Paints = 0;
    const double burst = Milliseconds([&] {
        for (int i = 0; i < 1000; ++i)
            model.Reload();
        QApplication::processEvents();
    });
    std::printf("%-10s %6d rows  reload+paint %7.2f ms  repaint %7.2f ms  reload of one row more %7.2f ms  "
                "1000 reloads+paint %7.2f ms (%d paint%s)\n",
        bench.Name, model.DataCount(), reload, repaint, grow, burst, counter.Paints,
        counter.Paints == 1 ? "" : "s");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const bool smoke = argc > 1 && std::strcmp(argv[1], "smoke") == 0;
    const int scenes = smoke ? 100 : 10000;
    const int computers = smoke ? 20 : 1000;
    const int events = smoke ? 100 : 10000;
    const int runs = smoke ? 3 : 9;

    TOptions options(QStringLiteral("bench-views.ini"));
    options.Master = true;
    options.ScreamerNumbers = QStringLiteral("1 2 3 4 5 6 7 8");
    TSilentPeople people;
    TManualClock clock;
    TFarm farm(options, people, clock);
    for (int i = 0; i < scenes; ++i)
        farm.Scenes.Append(MakeScene(i));
    farm.Scenes.Renumber();
    for (int i = 0; i < computers; ++i)
        farm.Computers.Add(MakeComputer(i));
    for (int i = 0; i < events; ++i)
        farm.Events.AddEvent(i % 4, QStringLiteral("Master"), QStringLiteral("Scenes Verify"),
            QStringLiteral("shot%1.lws").arg(i));

    std::printf("grids of 1200 x 800, median of %d runs\n", runs);
    int grown = 0;
    Measure({ "scenes", TGridKind::Scenes, new TSceneGridModel(farm),
                [&] { farm.Scenes.Append(MakeScene(scenes + grown++)); } },
        runs);
    Measure({ "computers", TGridKind::Computers, new TComputerGridModel(farm),
                [&] { farm.Computers.Add(MakeComputer(computers + grown++)); } },
        runs);
    Measure(
        { "events", TGridKind::Events, new TEventGridModel(farm),
            [&] { farm.Events.AddEvent(3, QStringLiteral("Kestrion"), QStringLiteral("Scenes Move"), {}); } },
        runs);
    return 0;
}
