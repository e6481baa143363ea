// The pace of the demo farm: how long a node waits between two pieces, how much of their time
// the nodes render, and the Master's processor time, with the Master watching the commands
// directory for acks and with its tick alone, side by side. Each run is the whole demo
// (kestriond, four stand-in nodes, 48 frames of 0.4 s) in a temporary directory on this disk.
// Usage: bench_pace [smoke] [RUNS]
// smoke: one watched run of short frames, only to keep the benchmark working.
#include "bench_tools.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct TRun
{
    double IdlePerPiece = -1;
    double RenderingPercent = -1;
    double MasterCpu = -1;
    double WallSeconds = -1;
};

double Figure(const QString& output, const QString& pattern)
{
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(output);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

// One demo; false, with its output shown, when it failed or printed no figures.
bool RunDemo(bool tickOnly, const QString& nodeOptions, TRun& run)
{
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KESTRION_NODE_OPTIONS"), nodeOptions);
    demo.setProcessEnvironment(environment);
    demo.setProcessChannelMode(QProcess::MergedChannels);
    QStringList arguments;
    if (tickOnly)
        arguments << QStringLiteral("--tick-only");
    arguments << QStringLiteral(KESTRION_DAEMON_EXE) << QStringLiteral(KESTRION_NODE_EXE);
    demo.start(QStringLiteral(KESTRION_DEMO_EXE), arguments);
    demo.waitForFinished(6 * 60 * 1000);
    const QString output = QString::fromUtf8(demo.readAll());
    run.IdlePerPiece = Figure(output, QStringLiteral("Node idle per piece +([0-9.]+) s"));
    run.RenderingPercent = Figure(output, QStringLiteral("Node time rendering +([0-9]+) %"));
    run.MasterCpu = Figure(output, QStringLiteral("Master CPU +([0-9.]+) s"));
    run.WallSeconds = Figure(output, QStringLiteral("Wall time +([0-9.]+) s"));
    if (demo.exitStatus() == QProcess::NormalExit && demo.exitCode() == 0 && run.IdlePerPiece >= 0
        && run.MasterCpu >= 0)
        return true;
    std::fprintf(stderr, "kestrion-demo%s failed:\n%s\n", tickOnly ? " --tick-only" : "", qPrintable(output));
    return false;
}

TRun MedianRun(const std::vector<TRun>& runs)
{
    const auto median = [&runs](double TRun::*field) {
        std::vector<double> values;
        for (const TRun& run : runs)
            values.push_back(run.*field);
        return Median(values);
    };
    return { median(&TRun::IdlePerPiece), median(&TRun::RenderingPercent), median(&TRun::MasterCpu),
        median(&TRun::WallSeconds) };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool smoke = arguments.removeAll(QStringLiteral("smoke")) > 0;
    const int runs = smoke ? 1 : std::max(1, arguments.value(0, QStringLiteral("3")).toInt());
    if (smoke) {
        TRun run;
        return RunDemo(false, QStringLiteral("--frame-time 50"), run) ? 0 : 1;
    }
    const QString nodeOptions = QStringLiteral("--frame-time 400");
    std::vector<TRun> watched;
    std::vector<TRun> ticked;
    for (int i = 0; i < runs; ++i)
        for (const bool tickOnly : { false, true }) {
            TRun run;
            if (!RunDemo(tickOnly, nodeOptions, run))
                return 1;
            (tickOnly ? ticked : watched).push_back(run);
        }
    const TRun watch = MedianRun(watched);
    const TRun tick = MedianRun(ticked);
    std::printf("demo farm: 4 nodes, 48 frames of 0.4 s, Master interval 0.5 s, node poll 0.05 s; "
                "median of %d runs each\n",
        runs);
    std::printf("%-28s %14s %14s %s\n", "", "acks watched", "ticks only", "target (watched)");
    std::printf("%-28s %12.2f s %12.2f s %s\n", "node idle per piece", watch.IdlePerPiece, tick.IdlePerPiece,
        "at most 0.15 s");
    std::printf("%-28s %12.0f %% %12.0f %% %s\n", "share of time nodes render", watch.RenderingPercent,
        tick.RenderingPercent, "at least 75 %");
    std::printf("%-28s %12.2f s %12.2f s %s (%.2f x)\n", "Master CPU", watch.MasterCpu, tick.MasterCpu,
        "at most twice ticks only", tick.MasterCpu > 0 ? watch.MasterCpu / tick.MasterCpu : 0.0);
    std::printf("%-28s %12.1f s %12.1f s\n", "wall time of the scene", watch.WallSeconds, tick.WallSeconds);
    return 0;
}
