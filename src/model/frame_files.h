#pragma once
// A scene's rendered frames on disk: which frames have files, and deleting, copying or moving
// those files. The frame manager and the automatic copy of a finished scene share it.

#include "model/scene.h"

#include <QList>
#include <QString>
#include <QStringList>

class TFileListing;

enum class TFrameOperation
{
    Delete,
    Copy,
    Move
};

// How a run over many frames shows how far it is, and learns that people want it to stop.
class TFrameProgress
{
public:
    virtual ~TFrameProgress() = default;
    // `messageText` holds one "#" where the frame number goes.
    virtual void Start(const QString& messageText, int minimum, int maximum) = 0;
    // False when the run is to stop before this frame.
    virtual bool Step(int position) = 0;
    virtual void Finish() = 0;
};

struct TRenderedFrames
{
    // The frames of the current range with an RGB or an alpha file, in range order.
    QList<qint64> Frames;
    // Output directories that are not there, and those that cannot be read: what lies in them
    // is unknown, not absent.
    QStringList Gone;
    QStringList Unreadable;
};

// One listing per output directory, however many frames the range holds.
TRenderedFrames RenderedFrames(const TScene& scene, const QString& fallbackContentDirectory);
// What the farm tells people about the directories of `frames`; empty when all could be read.
QString OutputDirectoriesText(const TRenderedFrames& frames);

// Acts on the frame's files of `kind`, only when the frame has any in `listing`: deletes them,
// copies them into `directory` (over a file of the same name) or moves them there (never over
// one). True when every file of the frame was handled.
bool FrameFileOperation(const TScene& scene, TFileListing& listing, qint64 frame, TFrameKind kind,
    const QString& directory, TFrameOperation operation, const QString& fallbackContentDirectory);

struct TFramesResult
{
    // Frames whose files were handled, and frames with a file that could not be.
    int Done = 0;
    int Failed = 0;
    bool Cancelled = false;
    // Frame directories that could not be read: nothing in them was touched.
    QStringList Unreadable;
};

// FrameFileOperation for the `frames` given (in their order) or, without them, for every frame
// of the current range, from one fresh listing. `progress` may be none.
TFramesResult FramesFileOperation(const TScene& scene, const QList<qint64>* frames, TFrameKind kind,
    const QString& directory, TFrameOperation operation, const QString& fallbackContentDirectory,
    TFrameProgress* progress);
