// kestrion-cli status --json as a user runs it, a process of its own from start to exit, on a
// farm of 1000 scenes and 100 nodes: through the commands directory (the Master's state files)
// and over TCP/IP (the Master in this process answers on loopback). Target: under 0.3 s each.
// Usage: bench_cli [smoke] [DIRECTORY]
#include "bench_farm.h"
#include "model/scene_record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

constexpr double TargetSeconds = 0.3;

// One run of the client; its wall time in milliseconds, negative when it failed or its JSON
// did not hold the farm.
double TimeStatus(const QString& optionsFile, int scenes, int computers)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(KESTRION_CLI_EXE),
        { QStringLiteral("--options"), optionsFile, QStringLiteral("status"), QStringLiteral("--json") });
    // The loop turns meanwhile, so the Master in this process answers.
    if (!WaitFor([&] { return process.state() == QProcess::NotRunning; }))
        return -1;
    const double milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const QJsonObject document = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    if (process.exitCode() != 0 || document.value(QStringLiteral("scenes")).toArray().size() != scenes
        || document.value(QStringLiteral("computers")).toArray().size() != computers) {
        std::fprintf(stderr, "%s", process.readAllStandardError().constData());
        return -1;
    }
    return milliseconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const TFarmBenchRun run(application.arguments().mid(1));
    const int sceneCount = run.Scenes;
    const int computerCount = run.Computers;
    const int rounds = run.Rounds;

    const auto dir = run.ScratchDirectory(QStringLiteral("bench-cli"));
    if (!dir)
        return 1;
    const quint16 port = FreePort();
    const auto master = BusyMaster(dir->path(), port, sceneCount, computerCount);
    if (!master)
        return 1;
    TFarm& farm = master->Farm();
    if (!SaveSceneList(farm.Scenes, master->options.StateScenesFile())
        || !farm.Computers.SaveToFile(master->options.StateComputersFile())) {
        std::fprintf(stderr, "cannot write the state files\n");
        return 1;
    }

    const auto clientOptions = [&](const QString& name, bool tcpIp) {
        TOptions options(dir->filePath(name));
        options.ScreamerDirectory = dir->path();
        options.ScreamerName = QStringLiteral("bench-cli");
        options.RemoteSendTCPIP = tcpIp;
        options.RemoteSendTCPIPMaster = QStringLiteral("127.0.0.1:%1").arg(port);
        options.Save();
        return options.FileName();
    };
    const QString fileOptions = clientOptions(QStringLiteral("file.ini"), false);
    const QString tcpOptions = clientOptions(QStringLiteral("tcp.ini"), true);

    std::printf("kestrion-cli status --json: %d scenes, %d computers, %d runs each (target under %.0f ms)\n",
        sceneCount, computerCount, rounds, TargetSeconds * 1000);
    for (const auto& [name, options] : { std::pair { "through the commands directory", fileOptions },
             std::pair { "over TCP/IP on loopback      ", tcpOptions } }) {
        std::vector<double> times;
        for (int round = 0; round < rounds; ++round) {
            const double milliseconds = TimeStatus(options, sceneCount, computerCount);
            if (milliseconds < 0) {
                std::fprintf(stderr, "kestrion-cli failed %s\n", name);
                return 1;
            }
            times.push_back(milliseconds);
        }
        std::printf("%s: median %8.2f ms  max %8.2f ms\n", name, Median(times), Max(times));
    }
    return 0;
}
