#include "model/frame_files.h"

#include "model/frame_steps.h"
#include "options/options.h"
#include "support/file_listing.h"
#include "support/files.h"
#include "support/paths.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {

bool HasOutput(const TScene& scene, TFrameKind kind)
{
    return (kind == TFrameKind::RGB ? scene.Data.SaveRGBImagesPrefix : scene.Data.SaveAlphaImagesPrefix)
        != NoneText;
}

QStringList FrameFiles(
    const TScene& scene, TFileListing& listing, qint64 frame, TFrameKind kind, const QString& fallback)
{
    const QString name = scene.FrameFileName(frame, kind, fallback);
    if (!scene.FrameNameComplete(kind))
        return listing.FilesWithAnyExtension(name);
    return listing.Exists(name) ? QStringList { name } : QStringList();
}

// The directory the listing reads for a frame name: split as the file system does.
QString DirectoryOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
}

void ForEachRangeFrame(const TScene& scene, const auto& visit)
{
    ForEachFrame(scene.Settings.CurrentFirst, scene.Settings.CurrentLast, scene.RangeStep(), visit);
}

int ToInt(qint64 value)
{
    return static_cast<int>(
        std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QString ProgressText(TFrameKind kind, TFrameOperation operation)
{
    const QString verb = operation == TFrameOperation::Delete ? QStringLiteral("Deleting")
        : operation == TFrameOperation::Copy                  ? QStringLiteral("Copying")
                                                              : QStringLiteral("Moving");
    return verb + (kind == TFrameKind::RGB ? QStringLiteral(" image # ...") : QStringLiteral(" alpha # ..."));
}

// The frames of the range whose number follows the output's name in a file beside it: for a
// range far longer than its directories are full, so a range typed with a few zeros too many
// never walks a billion frames.
QList<qint64> FramesNamedBeside(
    const TScene& scene, TFileListing& listing, TFrameKind kind, const QString& fallback)
{
    const qint64 first = scene.Settings.CurrentFirst;
    const qint64 last = scene.Settings.CurrentLast;
    const qint64 step = scene.RangeStep();
    const QString sample = scene.FrameFileName(first, kind, fallback);
    const QString prefix = ExtractName(
        kind == TFrameKind::RGB ? scene.Data.SaveRGBImagesPrefix : scene.Data.SaveAlphaImagesPrefix);
    QList<qint64> frames;
    for (const QString& name : listing.NamesBeside(sample)) {
        if (!name.startsWith(prefix))
            continue;
        qsizetype end = prefix.size();
        while (end < name.size() && end - prefix.size() < 18 && name.at(end).isDigit())
            ++end;
        bool number = false;
        const qint64 frame = QStringView(name).mid(prefix.size(), end - prefix.size()).toLongLong(&number);
        if (number && !FrameAfter(first, frame, step) && !FrameAfter(frame, last, step)
            && (frame - first) % step == 0)
            frames << frame;
    }
    return frames;
}

} // namespace

TRenderedFrames RenderedFrames(const TScene& scene, const QString& fallbackContentDirectory)
{
    TRenderedFrames result;
    TFileListing listing;
    QList<TFrameKind> kinds;
    for (const TFrameKind kind : { TFrameKind::RGB, TFrameKind::Alpha })
        if (HasOutput(scene, kind))
            kinds << kind;
    const auto listFrame = [&](qint64 frame) {
        for (const TFrameKind kind : std::as_const(kinds))
            if (scene.FrameExists(listing, frame, kind, fallbackContentDirectory)) {
                result.Frames << frame;
                break;
            }
    };
    qint64 files = 0;
    for (const TFrameKind kind : std::as_const(kinds))
        files += listing
                     .NamesBeside(
                         scene.FrameFileName(scene.Settings.CurrentFirst, kind, fallbackContentDirectory))
                     .size();
    const qint64 rangeFrames
        = (scene.Settings.CurrentLast - qint64(scene.Settings.CurrentFirst)) / scene.RangeStep() + 1;
    if (rangeFrames <= 2 * files + 1000) {
        ForEachRangeFrame(scene, listFrame);
    } else {
        QList<qint64> named;
        for (const TFrameKind kind : std::as_const(kinds))
            named << FramesNamedBeside(scene, listing, kind, fallbackContentDirectory);
        std::sort(named.begin(), named.end());
        if (scene.RangeStep() < 0)
            std::reverse(named.begin(), named.end());
        named.erase(std::unique(named.begin(), named.end()), named.end());
        for (const qint64 frame : std::as_const(named))
            listFrame(frame);
    }
    result.Unreadable = listing.Unreadable();
    for (const TFrameKind kind : std::as_const(kinds)) {
        const QString directory
            = DirectoryOf(scene.FrameFileName(scene.Settings.CurrentFirst, kind, fallbackContentDirectory));
        if (!QFileInfo(directory).isDir() && !result.Unreadable.contains(directory)
            && !result.Gone.contains(directory))
            result.Gone << directory;
    }
    return result;
}

QString OutputDirectoriesText(const TRenderedFrames& frames)
{
    QStringList lines;
    for (const QString& directory : frames.Gone)
        lines << QStringLiteral("The output directory %1 is not there; check the scene's output path and "
                                "that its share is mounted.")
                     .arg(directory);
    for (const QString& directory : frames.Unreadable)
        lines << QStringLiteral("The output directory %1 cannot be read; check its permissions and "
                                "that its share is reachable.")
                     .arg(directory);
    return lines.join(u'\n');
}

bool FrameFileOperation(const TScene& scene, TFileListing& listing, qint64 frame, TFrameKind kind,
    const QString& directory, TFrameOperation operation, const QString& fallbackContentDirectory)
{
    if (!HasOutput(scene, kind))
        return false;
    const QStringList files = FrameFiles(scene, listing, frame, kind, fallbackContentDirectory);
    bool done = !files.isEmpty();
    for (const QString& file : files) {
        switch (operation) {
        case TFrameOperation::Delete:
            done = QFile::remove(file) && done;
            break;
        case TFrameOperation::Copy:
            done = CopyFileToDirectory(file, directory, false) && done;
            break;
        case TFrameOperation::Move:
            done = MoveFileToDirectory(file, directory) && done;
            break;
        }
    }
    return done;
}

TFramesResult FramesFileOperation(const TScene& scene, const QList<qint64>* frames, TFrameKind kind,
    const QString& directory, TFrameOperation operation, const QString& fallbackContentDirectory,
    TFrameProgress* progress)
{
    TFramesResult result;
    if (!HasOutput(scene, kind) || (frames && frames->isEmpty()))
        return result;
    TFileListing listing;
    if (progress) {
        const qint64 first = frames ? frames->front() : scene.Settings.CurrentFirst;
        const qint64 last = frames ? frames->back() : scene.Settings.CurrentLast;
        progress->Start(ProgressText(kind, operation), ToInt(first), ToInt(last));
    }
    const auto handle = [&](qint64 frame) {
        if (result.Cancelled || (progress && !progress->Step(ToInt(frame)))) {
            result.Cancelled = true;
            return;
        }
        if (FrameFileOperation(scene, listing, frame, kind, directory, operation, fallbackContentDirectory))
            ++result.Done;
        else if (!FrameFiles(scene, listing, frame, kind, fallbackContentDirectory).isEmpty())
            ++result.Failed;
    };
    // The whole range: only frames with files are acted on, so those are the ones to walk.
    const QList<qint64> range
        = frames ? QList<qint64>() : RenderedFrames(scene, fallbackContentDirectory).Frames;
    const QList<qint64>& walked = frames ? *frames : range;
    for (auto it = walked.cbegin(); it != walked.cend() && !result.Cancelled; ++it)
        handle(*it);
    if (progress)
        progress->Finish();
    result.Unreadable = listing.Unreadable();
    return result;
}
