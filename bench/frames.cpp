// How long the frame manager takes to list a scene of many rendered frames (images and
// alphas in two directories), against one plain listing of the image directory: the listing
// alone, and the window's Update with its list filled. Usage: bench_frames [FRAMES]
#include "bench_tools.h"
#include "farm/farm.h"
#include "model/frame_files.h"
#include "options/options.h"
#include "support/clock.h"
#include "ui/frame_manager.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Rounds = 3;

double BestOf(const std::function<void()>& run)
{
    double best = 1e300;
    for (int round = 0; round < Rounds; ++round)
        best = std::min(best, Milliseconds(run));
    return best;
}

bool WriteFrames(const TScene& scene, int frames)
{
    for (int frame = 1; frame <= frames; ++frame)
        for (const TFrameKind kind : { TFrameKind::RGB, TFrameKind::Alpha }) {
            QFile file(scene.FrameFileName(frame, kind, NoneText));
            if (!file.open(QIODevice::WriteOnly))
                return false;
        }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const int frames = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 100000;
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("rgb"))
        || !QDir(dir.path()).mkdir(QStringLiteral("alpha"))) {
        std::fprintf(stderr, "cannot make a scratch directory\n");
        return 1;
    }
    TOptions options(dir.filePath(QStringLiteral("Bench.ini")));
    TSilentPeople people;
    TManualClock clock;
    TFarm farm(options, people, clock);
    auto made = std::make_unique<TScene>(dir.path());
    made->Filename = dir.filePath(QStringLiteral("shot.lws"));
    made->Settings.ContentDirectory = dir.path();
    made->Settings.Range = true;
    made->Settings.CurrentFirst = 1;
    made->Settings.CurrentLast = frames;
    made->Settings.CurrentStep = 1;
    made->Data.OutputFilenameFormat = 3;
    made->Data.SaveRGBImagesPrefix = QStringLiteral("rgb/shot");
    made->Data.RGBImageSaver = QStringLiteral("LW_PNG(.png)");
    made->Data.SaveAlphaImagesPrefix = QStringLiteral("alpha/shot");
    made->Data.AlphaImageSaver = QStringLiteral("LW_PNG(.png)");
    const TScene& scene = farm.Scenes.Add(std::move(made), true);
    std::printf("writing %d frames, image and alpha...\n", frames);
    if (!WriteFrames(scene, frames)) {
        std::fprintf(stderr, "cannot write the frame files\n");
        return 1;
    }

    qsizetype listed = 0;
    const double rendered = BestOf([&] { listed = RenderedFrames(scene, NoneText).Frames.size(); });
    qsizetype plain = 0;
    const double listing = BestOf([&] {
        plain = 0;
        for (QDirIterator it(dir.filePath(QStringLiteral("rgb")), QDir::Files); it.hasNext(); it.next())
            ++plain;
    });
    TFormScenesFrames window(farm);
    window.SetScene(scene.ID);
    const double update = BestOf([&] {
        window.Update();
        QCoreApplication::processEvents();
    });
    std::printf("frames                %d\n", frames);
    std::printf("RenderedFrames        %.1f ms (%lld listed)\n", rendered, static_cast<long long>(listed));
    std::printf("window Update         %.1f ms (%lld listed)\n", update,
        static_cast<long long>(window.ListedFrames().size()));
    std::printf("plain listing         %.1f ms (%lld files)\n", listing, static_cast<long long>(plain));
    std::printf("ratio                 %.2f (RenderedFrames / plain listing)\n",
        listing > 0 ? rendered / listing : 0.0);
    return listed == frames ? 0 : 1;
}
