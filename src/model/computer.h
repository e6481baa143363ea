#pragma once
// The registry of render nodes the Master has found: one record per node number, stored in
// "StateComputers.lst" so that Remotes can show the Master's nodes.

#include "support/clock.h"
#include "support/date_time.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TScreamerList;

// A node's state as a code; the values are the farm's own, 0 to 7.
enum class TNodeState
{
    Initializing = 0,
    Ready = 1,
    NextFrame = 2,
    SettingContent = 3,
    Loading = 4,
    Rendering = 5, // any state text holding "Rendering"
    Offline = 6,
    Other = 7
};

// No node is handed this many frames at once; a piece that names more comes from a damaged
// record, and spelling it out frame by frame would take all memory.
inline constexpr qint64 PieceFrameLimit = 1000000;

// The frames of a piece text ("first last step") as a number list; none for a piece longer than
// PieceFrameLimit (verification finds its frames if they are missing).
QString PieceFrames(const QString& piece);

class TComputer
{
public:
    // `created`: the moment the record is made, its ScreamerStart until a record says otherwise.
    explicit TComputer(TDateTime created = 0);

    TNodeState StateCode() const;
    // 1 Alpha, 2 Silicon, 3 Macintosh, 0 anything else (x86 included).
    int PlatformCode() const;

    void WriteRecord(QStringList& lines) const;
    // Reads key lines from `index` on; stops on "End" or "[end]" (index stays there) or at the end.
    void ReadRecord(const QStringList& lines, qsizetype& index);
    // This node's part of the e-mail report.
    void ReportLines(QStringList& lines) const;
    // The average time per frame since the node started, "hh:mm:ss (n frames)", or
    // "No frames rendered" (also for a count below 1, which only a damaged file holds).
    QString AverageTimeText() const;
    // Tells that a node started here can no longer be watched for crashes.
    QString CrashWatchNote(const TScreamerList& screamers) const;
    // A node holds its piece from the moment it takes it until the piece is booked or handed
    // back, whatever its state: a "Dying" node may still render, an "Offline" one is listed
    // for one more tick, and nobody else may write those frames meanwhile.
    bool HoldsPiece() const { return !Frames.isEmpty(); }

    int Number = 0;
    int Memory = 0;
    int Processors = 0;
    QString CPU;
    QString StateString;
    QString Name;
    QString Frames;
    QString SceneString;
    QString SceneLoadFile;
    QString ContentDirectory;
    int SceneId = 0;
    int RenderCount = 0;
    TDateTime SceneStamp = 0;
    TDateTime ScreamerStart = 0;
    TDateTime RenderStart = 0;
    TDateTime LastRenderTime = 0;
};

// The state texts that the Master itself gives a node.
inline const QString StateNextFrame = QStringLiteral("Next Frame");
inline const QString StateDying = QStringLiteral("Dying");

// No farm has this many nodes; a file that names more is damaged, and reading stops here so it
// cannot take all memory.
inline constexpr int ComputerListLimit = 100000;

// The nodes, kept sorted by number after every addition.
class TComputerList
{
public:
    // Records read from text are made at the clock's "now".
    explicit TComputerList(const TClock& clock = SystemClock())
        : FClock(&clock)
    { }

    int Count() const { return static_cast<int>(FItems.size()); }
    TComputer& Item(int index) { return *FItems[static_cast<size_t>(index)]; }
    const TComputer& Item(int index) const { return *FItems[static_cast<size_t>(index)]; }

    TComputer* FindByNumber(int number) const;
    // The index of the first record with that number, -1 when none.
    int IndexOfNumber(int number) const;
    bool NumberFree(int number) const;
    void Add(std::unique_ptr<TComputer> computer);
    // Takes the record out and destroys it.
    void Delete(int index);
    void Clear();
    void ReplaceWith(TComputerList& other) { FItems = std::move(other.FItems); }
    // Moves a record, as the user drags rows in the Master's computer grid.
    void Move(int from, int to);

    // The frames of the pieces of the scene file that nodes hold right now: taken, not yet
    // booked or handed back, so not on disk yet.
    QString HeldFrames(const QString& sceneFile) const;

    // Records with header lines "[Computer" n "]", n counting from `firstHeader`.
    void WriteRecords(QStringList& lines, int firstHeader) const;
    // Reads up to `count` records from the line after `index` on, each starting one line after
    // the end of the one before; stops at the end of the lines or when the list holds
    // ComputerListLimit records. Records join the list.
    void ReadRecords(const QStringList& lines, qsizetype& index, qint64 count);

    // The text of the computer-list file.
    void SaveToLines(QStringList& lines) const;
    void LoadFromLines(const QStringList& lines);
    // False, with the list unchanged, when the file does not exist or cannot be read.
    bool LoadFromFile(const QString& path);
    // Replaces the file atomically; false when it could not be written.
    bool SaveToFile(const QString& path) const;

    void ReportLines(QStringList& lines) const;

private:
    const TClock* FClock;
    std::vector<std::unique_ptr<TComputer>> FItems;
};

inline const QString ComputerListWriteError = QStringLiteral(
    "I could not create the computer-list.\nCheck the Commands Directory (Program - Settings - Screamer)");
