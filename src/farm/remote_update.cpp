#include "farm/remote_update.h"

#include "farm/farm.h"
#include "model/frame_files.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/people.h"
#include "support/text_routines.h"

#include <QFileInfo>

QString LastUpdateText(TDateTime moment)
{
    return QStringLiteral("Last Update ") + ClockText(moment);
}

bool UpdateFromMaster(TFarm& farm)
{
    bool read = true;
    const TOptions& options = farm.Options;
    if (!options.TcpIpInUse()) {
        farm.People.Busy(true);
        farm.People.SetStatus(TStatusPanel::Clock, LastUpdateText(farm.Now()));
        farm.Scenes.Clear();
        read = LoadSceneList(farm.Scenes, options.StateScenesFile());
        farm.People.Refresh(TView::Scenes);
        farm.Computers.Clear();
        read = farm.Computers.LoadFromFile(options.StateComputersFile()) && read;
        farm.People.Refresh(TView::Computers);
        farm.People.Busy(false);
    }
    farm.Send(ProgramUpdate);
    return read;
}

namespace {

const QString CopyOrigin = QStringLiteral("Automatic");
const QString CopyType = QStringLiteral("Copy/Import");

bool WantsCopyHere(const TScene& scene, const TOptions& options)
{
    return scene.Settings.AutomaticCopy && !scene.Copied && scene.Verified
        && scene.Settings.AutomaticCopyComputer == options.ScreamerName;
}

// Copies the scene's rendered frames, RGB then alpha; what went wrong, empty when all is copied.
QString CopyFrames(const TScene& scene, const QString& directory, const QString& fallbackContentDirectory)
{
    if (directory.trimmed().isEmpty())
        return QStringLiteral("the scene names no directory to copy to.");
    if (!QFileInfo(directory).isDir())
        return QStringLiteral("the directory is not there; check that its share is mounted.");
    const TRenderedFrames rendered = RenderedFrames(scene, fallbackContentDirectory);
    // An output directory gone or unreadable holds frames nobody can see: copying the rest and
    // calling it done would lose them.
    if (const QString outputs = OutputDirectoriesText(rendered); !outputs.isEmpty())
        return OneLine(outputs);
    if (rendered.Frames.isEmpty())
        return QStringLiteral("no frame file of it was found in its output directories.");
    int failed = 0;
    QStringList unreadable;
    for (const TFrameKind kind : { TFrameKind::RGB, TFrameKind::Alpha }) {
        const TFramesResult result = FramesFileOperation(scene, &rendered.Frames, kind, directory,
            TFrameOperation::Copy, fallbackContentDirectory, nullptr);
        failed += result.Failed;
        unreadable << result.Unreadable;
    }
    QStringList problems;
    if (failed > 0)
        problems << QStringLiteral("%1 frame files could not be copied; check that the directory may be "
                                   "written and has room.")
                        .arg(failed);
    if (!unreadable.isEmpty()) {
        TRenderedFrames outputs;
        outputs.Unreadable = unreadable;
        outputs.Unreadable.removeDuplicates();
        problems << OneLine(OutputDirectoriesText(outputs));
    }
    return problems.join(u' ');
}

} // namespace

void CopyFinishedScenes(TFarm& farm)
{
    const TOptions& options = farm.Options;
    // The Master's list is the truth once it shows the copy, or shows the scene started over.
    QSet<int> present;
    for (int i = 0; i < farm.Scenes.Count(); ++i) {
        const TScene& scene = farm.Scenes.Item(i);
        present << scene.ID;
        if (scene.Copied || !scene.Verified)
            farm.CopiesReported.remove(scene.ID);
    }
    for (auto it = farm.CopiesReported.begin(); it != farm.CopiesReported.end();)
        it = present.contains(*it) ? std::next(it) : farm.CopiesReported.erase(it);

    QHash<int, QString> failures;
    if (options.RemoteAllowCopy) {
        for (int i = 0; i < farm.Scenes.Count(); ++i) {
            TScene& scene = farm.Scenes.Item(i);
            if (!WantsCopyHere(scene, options) || farm.CopiesReported.contains(scene.ID))
                continue;
            const QString directory = scene.Settings.AutomaticCopyDirectory;
            const QString failure = CopyFrames(scene, directory, options.ContentDirectory);
            if (!failure.isEmpty()) {
                const QString text = QStringLiteral("Frames of scene %1 could not be copied to %2: %3 "
                                                    "The copy is tried again at the next update.")
                                         .arg(ExtractName(scene.Filename), directory, failure);
                if (farm.CopyFailures.value(scene.ID) != text)
                    farm.Events.AddEvent(1, CopyOrigin, CopyType, text);
                failures.insert(scene.ID, text);
                continue;
            }
            scene.Copied = true;
            farm.CopiesReported << scene.ID;
            farm.Send(ScenesCopied, { QString::number(scene.ID) });
            farm.Events.AddEvent(1, CopyOrigin, CopyType,
                QStringLiteral("Frames of scene ") + ExtractName(scene.Filename)
                    + QStringLiteral(" copied/imported after they were rendered"));
            farm.People.Refresh(TView::Scenes);
        }
    }
    // Only failures still current are remembered: one mended, or of a scene gone, is said anew.
    farm.CopyFailures = failures;
}
