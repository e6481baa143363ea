// How long verification takes on a scene of many frames, against one plain listing of the
// output directory. Usage: bench_verify [FRAMES]
#include "model/scene.h"
#include "options/options.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Rounds = 3;
// Every this many frames one is left unrendered.
constexpr int MissingEvery = 97;

// The best of a few runs in milliseconds; the machine is shared and noisy.
double BestMilliseconds(const std::function<void()>& run)
{
    double best = 1e300;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

bool WriteFrames(const TScene& scene, int frames)
{
    for (int frame = 1; frame <= frames; ++frame) {
        if (frame % MissingEvery == 0)
            continue;
        QFile file(scene.FrameFileName(frame, TFrameKind::RGB, NoneText));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int frames = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 100000;
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("out"))) {
        std::fprintf(stderr, "cannot make a scratch directory\n");
        return 1;
    }
    TScene scene(dir.path());
    scene.Settings.Range = true;
    scene.Settings.CurrentFirst = 1;
    scene.Settings.CurrentLast = frames;
    scene.Settings.CurrentStep = 1;
    scene.Data.SaveRGBImagesPrefix = QStringLiteral("out/frame");
    scene.Data.RGBImageSaver = QStringLiteral("LW_PNG(.png)");
    scene.Data.OutputFilenameFormat = 3;
    std::printf("writing %d frame files (every %dth missing)...\n", frames, MissingEvery);
    if (!WriteFrames(scene, frames)) {
        std::fprintf(stderr, "cannot write the frame files\n");
        return 1;
    }

    QString missing;
    const double verify = BestMilliseconds([&] { missing = scene.MissingFrames(true, NoneText); });
    qsizetype listed = 0;
    const double listing = BestMilliseconds([&] {
        listed = 0;
        for (QDirIterator it(dir.filePath(QStringLiteral("out")), QDir::Files); it.hasNext(); it.next())
            ++listed;
    });
    // What verification would cost asking for every frame file on its own.
    int found = 0;
    const double oneByOne = BestMilliseconds([&] {
        found = 0;
        for (int frame = 1; frame <= frames; ++frame)
            found += scene.FrameExists(frame, TFrameKind::RGB, NoneText) ? 1 : 0;
    });
    const int expected = frames / MissingEvery;
    std::printf("frames                %d\n", frames);
    std::printf("missing found         %lld (expected %d)\n",
        static_cast<long long>(missing.count(u' ') + !missing.isEmpty()), expected);
    std::printf("MissingFrames         %.1f ms\n", verify);
    std::printf("plain listing         %.1f ms (%lld files)\n", listing, static_cast<long long>(listed));
    std::printf("a stat per frame      %.1f ms (%d found)\n", oneByOne, found);
    std::printf("ratio                 %.2f (MissingFrames / plain listing; target below 3)\n",
        listing > 0 ? verify / listing : 0.0);
    return 0;
}
