#include "farm/remote_update.h"

#include "farm/farm.h"
#include "model/frame_files.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/people.h"
#include "support/text_file.h"
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

// One state file's lines, or why they cannot be had. A file the Master has not stored yet (it
// stores a list once it changes) is an empty list, as for every Remote.
bool ReadStateLines(const QString& path, QStringList& lines, QString& error)
{
    const QFileInfo file(path);
    if (!file.exists()) {
        lines = QStringList { QStringLiteral("0") };
        return true;
    }
    if (file.size() > TextFileLimit) {
        error = QStringLiteral("%1 is larger than %2 MiB; no Master writes such a file. Check what wrote it.")
                    .arg(path)
                    .arg(TextFileLimit / (1024 * 1024));
        return false;
    }
    if (!ReadTextLines(path, lines)) {
        error = QStringLiteral("%1 cannot be read; check its permissions and the share.").arg(path);
        return false;
    }
    return true;
}

} // namespace

bool ReadStateFilesWhole(
    const TOptions& options, TSceneList& scenes, TComputerList& computers, QString& error)
{
    if (options.ScreamerDirectory.trimmed().isEmpty() || options.ScreamerDirectory == NoneText) {
        error = QStringLiteral("The options file %1 names no commands directory (option ScreamerDirectory).")
                    .arg(OptionsFilePath(options.FileName()));
        return false;
    }
    if (!QFileInfo(options.ScreamerDirectory).isDir()) {
        error = QStringLiteral(
            "The commands directory %1 (option ScreamerDirectory) is not there; check that its "
            "share is mounted and that the options file names it.")
                    .arg(options.ScreamerDirectory);
        return false;
    }
    if (!QFileInfo::exists(options.StateScenesFile()) && !QFileInfo::exists(options.StateComputersFile())) {
        error = QStringLiteral(
            "%1 holds no lists of a Master (StateScenes.lst, StateComputers.lst). Check that a "
            "Master uses this commands directory and serves Remotes through it "
            "(MasterScanRemote=1).")
                    .arg(options.ScreamerDirectory);
        return false;
    }
    QStringList sceneLines;
    QStringList computerLines;
    if (!ReadStateLines(options.StateScenesFile(), sceneLines, error)
        || !ReadStateLines(options.StateComputersFile(), computerLines, error))
        return false;
    // Each file is the state snapshot's part with a count of none for the other list, so the
    // snapshot's rule of what is whole holds for the files too.
    const auto whole = [&error](const QString& path, const QStringList& lines, TSceneList& someScenes,
                           TComputerList& someComputers, bool sceneFile) {
        QStringList state { sceneFile ? lines.value(0) : QStringLiteral("0"),
            sceneFile ? QStringLiteral("0") : lines.value(0) };
        state << lines.mid(1);
        if (!lines.isEmpty() && LoadState(someScenes, state, someComputers))
            return true;
        error = QStringLiteral(
            "%1 could not be read whole: it is damaged or cut short. The Master writes it again "
            "when its lists change; if it stays so, check the share.")
                    .arg(path);
        return false;
    };
    TSceneList readScenes;
    TComputerList readComputers;
    TSceneList noScenes;
    TComputerList noComputers;
    if (!whole(options.StateScenesFile(), sceneLines, readScenes, noComputers, true)
        || !whole(options.StateComputersFile(), computerLines, noScenes, readComputers, false))
        return false;
    scenes.ReplaceWith(readScenes);
    computers.ReplaceWith(readComputers);
    return true;
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
