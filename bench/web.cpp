// The status page on a busy farm: how long /api/scenes of 10,000 scenes takes (built alone, and
// fetched over HTTP), what one stream message of changes costs with a listener, and what the
// Master's tick costs with the page served but nobody listening, against no page at all.
// Usage: bench_web [smoke] [DIRECTORY]
#include "bench_farm.h"
#include "web/web_api.h"
#include "web/web_server.h"
#include "web/web_service.h"
#include "web/web_stream.h"

#include <QTcpSocket>

namespace {

// Median milliseconds of the Master's tick over `rounds`.
double TickMilliseconds(TInstallation& master, int rounds)
{
    std::vector<double> ticks;
    for (int round = 0; round <= rounds; ++round) {
        const double tick = Milliseconds([&] { master.controller->TimerMasterTimer(); });
        if (round > 0)
            ticks.push_back(tick);
    }
    return Median(ticks);
}

// A whole GET over loopback, the server turning in this thread; -1 when no answer came.
double FetchMilliseconds(quint16 port, const QByteArray& target, qsizetype& bytes)
{
    QTcpSocket client;
    QByteArray received;
    QObject::connect(&client, &QTcpSocket::readyRead, [&] { received += client.readAll(); });
    return Milliseconds([&] {
        client.connectToHost(QHostAddress::LocalHost, port);
        client.write("GET " + target + " HTTP/1.1\r\nConnection: close\r\n\r\n");
        if (!WaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }))
            received.clear();
        bytes = received.size();
    });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const TFarmBenchRun run(QCoreApplication::arguments().mid(1));
    const int scenes = run.Smoke ? 20 : 10000;
    const auto dir = run.ScratchDirectory(QStringLiteral("bench-web"));
    if (!dir)
        return 1;
    auto master = BusyMaster(dir->path(), FreePort(), scenes, run.Computers);
    if (!master)
        return 1;
    TFarm& farm = master->Farm();

    std::vector<double> builds;
    qsizetype size = 0;
    for (int round = 0; round < run.Rounds; ++round)
        builds.push_back(Milliseconds([&] { size = AnswerWebRequest(farm, "GET", "/api/scenes").Body.size(); }));
    std::printf("/api/scenes of %d scenes: %.1f ms to build (median of %d, max %.1f), %.1f MB\n", scenes,
        Median(builds), run.Rounds, Max(builds), static_cast<double>(size) / 1e6);

    const double bare = TickMilliseconds(*master, run.Rounds);
    master->options.MasterWebPort = FreePort();
    TWebService service(farm);
    if (!service.Server()) {
        std::fprintf(stderr, "the status page cannot be served\n");
        return 1;
    }
    const double served = TickMilliseconds(*master, run.Rounds);

    std::vector<double> fetches;
    for (int round = 0; round < run.Rounds; ++round)
        fetches.push_back(FetchMilliseconds(service.Server()->Port(), "/api/scenes", size));
    std::printf("/api/scenes over HTTP: %.1f ms (median, max %.1f), %.1f MB received\n", Median(fetches),
        Max(fetches), static_cast<double>(size) / 1e6);

    TWebStream stream(farm);
    stream.Changes();
    std::vector<double> changes;
    for (int round = 0; round < run.Rounds; ++round) {
        farm.Scenes.Item(round).NextFrames(1);
        farm.ScenesChanged();
        changes.push_back(Milliseconds([&] { size = stream.Changes().size(); }));
    }
    std::printf("stream, one scene changed, a listener: %.1f ms per message (median, max %.1f), %lld bytes\n",
        Median(changes), Max(changes), static_cast<long long>(size));
    std::printf("Master tick with %d scenes, %d nodes: %.2f ms without the page, %.2f ms with it served and "
                "nobody listening\n",
        scenes, run.Computers, bare, served);
    return 0;
}
