#pragma once
// One scene of the render queue: what its LightWave scene file says, the queue settings the user
// chose, the frame bookkeeping of dispatch, and render statistics.

#include "support/date_time.h"

#include <QString>
#include <QStringList>
#include <array>
#include <tuple>
#include <utility>

class TComputer;
class TFileListing;

// What is read from the scene file. The integer render settings are LightWave's own codes,
// stored and written back unchanged.
struct TSceneData
{
    int OriginalFirst = 0;
    int OriginalLast = 0;
    int OriginalStep = 0;
    bool Stereoscopic = false;
    bool CustomSize = false;
    bool NTSCWidescreen = false;
    bool LimitedRegion = false;
    bool FilmSize = false;
    bool EnhancedAA = false;
    bool AdaptiveSampling = false;
    bool FieldRendering = false;
    int Resolution = 0;
    int SegmentMemory = 0;
    int Antialiasing = 0;
    int FilterType = 0;
    int PixelAspectRatio = 0;
    int AdaptiveThreshold = 0;
    int MotionBlur = 0;
    int CustomWidth = 0;
    int CustomHeight = 0;
    int DataOverlay = 0; // -1: absent
    int RenderMode = 0;
    int RayTraceEffects = 0;
    int RayRecursionLimit = 0;
    QString DataOverlayLabel;
    // 0 "Name001", 1 "Name001.xxx", 2 "Name0001", 3 "Name0001.xxx"
    int OutputFilenameFormat = 0;
    QString SaveRGBImagesPrefix;
    QString SaveAlphaImagesPrefix;
    QString RGBImageSaver;
    QString AlphaImageSaver;
    // LightWave 4/5 name the image format by a code instead of a saver: 0 IFF, 1 RAW, 2 Targa;
    // -1 absent.
    int RGBImageFormat = -1;
    int AlphaImageFormat = -1;
    // The file holds the marker of a 'Varnocade' scene.
    bool ExtraData = false;
    // The file's render range type when the farm renders the frame range instead: a type it
    // does not know, or arbitrary frames it could not read. 0 when it follows the file.
    int IgnoredRangeType = 0;
};

// The render options: the lines of the camera section that the edit dialog changes and the
// private copy carries, by their keys, and the fields that hold them, in the same order.
inline const std::array<QString, 10> RenderOptionKeys = { QStringLiteral("RenderMode"),
    QStringLiteral("RayTraceEffects"), QStringLiteral("RayRecursionLimit"), QStringLiteral("DataOverlay"),
    QStringLiteral("DataOverlayLabel"), QStringLiteral("OutputFilenameFormat"),
    QStringLiteral("SaveRGBImagesPrefix"), QStringLiteral("RGBImageSaver"),
    QStringLiteral("SaveAlphaImagesPrefix"), QStringLiteral("AlphaImageSaver") };

template <typename TData> auto RenderOptions(TData& data)
{
    return std::tie(data.RenderMode, data.RayTraceEffects, data.RayRecursionLimit, data.DataOverlay,
        data.DataOverlayLabel, data.OutputFilenameFormat, data.SaveRGBImagesPrefix, data.RGBImageSaver,
        data.SaveAlphaImagesPrefix, data.AlphaImageSaver);
}

static_assert(
    std::tuple_size_v<decltype(RenderOptions(std::declval<TSceneData&>()))> == RenderOptionKeys.size());

// Render range types of LightWave 9 and later: the frame range, or the frames of the
// "RenderRangeArbitrary" line.
inline constexpr int RangeTypeArbitrary = 1;
// An arbitrary range is rendered as single frames; one longer than this is not followed.
inline constexpr int ArbitraryFramesLimit = 100000;

// "1-10,18,25,40-50" as the number list of its frames, each once; false when the text holds
// something else, no frame, or more than ArbitraryFramesLimit frames.
bool ArbitraryFrames(const QString& text, QString& frames);

// Processor platforms as bits of TSceneSettings::Platforms; a node's platform code is the bit's index.
enum TPlatform
{
    PlatformIntel = 1,
    PlatformAlpha = 2,
    PlatformSilicon = 4,
    PlatformMacintosh = 8,
    PlatformsAll = 15
};

// Queue settings and frame bookkeeping; the "initial options" of new scenes are one of these.
struct TSceneSettings
{
    bool Range = false;
    int CurrentFirst = 1;
    int CurrentLast = 1;
    int CurrentStep = 1;
    // The last range frame handed out; before the first piece one step before the range, which
    // for a range starting at the 32-bit limit lies beyond it.
    qint64 RangeLast = 0;
    bool Singles = false;
    QString SinglesList;
    QString SinglesToDo;
    QString MissingList;
    int RenderLast = 0;
    int Priority = 2;
    QString ContentDirectory;
    int Platforms = PlatformsAll;
    bool PlatformRenderMemory = false;
    bool PlatformRenderComputers = false;
    bool PlatformRenderPercentage = false;
    bool PlatformRenderSelected = false;
    bool PlatformRenderMultiprocessor = false;
    int PlatformRenderMemoryValue = 128;
    int PlatformRenderComputersValue = 10;
    int PlatformRenderPercentageValue = 50;
    int PlatformRenderMultiprocessorValue = 1;
    QString PlatformRenderSelectedValue = QStringLiteral("1");
    bool AutomaticVerify = true;
    bool AutomaticCopy = false;
    int AutomaticVerifyTimes = 5;
    QString AutomaticCopyComputer;
    QString AutomaticCopyDirectory;
    bool Log = false;
    QString LogFilename = QStringLiteral("log.txt");
};

class TSceneStatistics
{
public:
    void AddFrameTime(TDateTime duration);
    TDateTime AverageFrameTime() const;
    // One line of frames, average, total and the estimated time left on `processors`.
    QString StatisticsText(int processors, qint64 framesLeft) const;
    // The same line with another text after "Left ".
    QString StatisticsText(const QString& left) const;

    TDateTime TimeAdd = 0;
    // When the first piece went out since the scene was added or started over; 0 before.
    TDateTime RenderStarted = 0;
    TDateTime RenderTimeTotal = 0; // a duration in days
    int RenderFramesCount = 0;
};

// How far a scene's frames have been handed out.
enum class TSceneProgress
{
    NothingHandedOut,
    UnderWay,
    AllHandedOut
};

enum class TFrameKind
{
    RGB,
    Alpha
};

// A piece of work: the node renders First, First + Step, ... up to and including Last.
struct TPiece
{
    int First = -1;
    int Last = -1;
    int Step = -1;
};

class TScene
{
public:
    // `contentDirectory`: the options' content directory, the default of new scenes.
    explicit TScene(const QString& contentDirectory = QString());

    // The scene-file data at its defaults; the current range gives the original one.
    void SetDataDefaults();

    // Fills a new scene from a LightWave scene file; false, with the reason in the farm's
    // words, when the file cannot be read, is no scene (its first line is not "LWSC") or its
    // frame range is unusable.
    bool ReadSceneFile(const QString& path, QString* reason = nullptr);
    void ReadSceneLines(const QStringList& lines);
    void ReadRenderSettings(const QString& line);
    void WriteRenderOptions(QStringList& lines) const;
    void WriteCameraSettings(QStringList& lines) const;

    // Copies the scene file to a free ".lns" name beside it; "(none)" when that fails. The copy
    // is stamped `now`, so nodes holding an older one load it again.
    void MakeSceneCopy(TDateTime now);
    // Puts the render options in which the scene differs from the private copy at `path` into
    // it, each line rewritten in place (a line the file lacks is added beside its kin), and
    // keeps every other byte. False when the copy cannot be read or written, or is too large
    // to be rewritten whole.
    bool RewriteSceneCopy(const QString& path) const;
    QByteArray RewriteSceneBytes(const QByteArray& bytes) const;

    // Where the node writes a frame. A relative output prefix lies in the scene's content
    // directory, or in `fallbackContentDirectory` when the scene has none.
    // Where the saver or format code gives no extension the farm knows, the name ends before
    // the extension and FrameNameComplete is false: a file of that stem with any one extension
    // is the frame.
    QString FrameFileName(qint64 frame, TFrameKind kind, const QString& fallbackContentDirectory) const;
    bool FrameNameComplete(TFrameKind kind) const;
    bool FrameExists(qint64 frame, TFrameKind kind, const QString& fallbackContentDirectory) const;
    // The same, answered from `listing`.
    bool FrameExists(
        TFileListing& listing, qint64 frame, TFrameKind kind, const QString& fallbackContentDirectory) const;
    // The content directory the nodes render with: the scene's own, or `fallback` when it has none.
    QString ContentDirectoryOr(const QString& fallback) const;
    QString WarningsText() const;

    // Frame bookkeeping. Starting over stamps the scene `now`.
    void Reset(TDateTime now);
    // The same without the stamp, for a scene just read that is stamped when its copy is made.
    void ResetFrames();
    TPiece NextFrames(int count);
    QString NextFramesText(int count);
    bool IsFinished() const;
    qint64 TotalFrames() const;
    qint64 FramesLeft() const;
    int PercentDone() const;
    TSceneProgress Progress() const;
    // Whether the node may take a piece of this scene, given the number of all nodes, the nodes
    // on this scene, and those of them on the node's computer (`node` itself included when it
    // is on the scene). TSceneChoice keeps the counts.
    bool MayRenderOn(const TComputer& node, int nodeCount, int onScene, int onSceneOfComputer) const;
    // The range and single frames whose RGB image is not on disk, as a number list. Frames in
    // a directory that cannot be read are not counted; the directory goes into `unreadable`
    // and the scene does not count as verified.
    QString MissingFrames(
        bool force, const QString& fallbackContentDirectory, QStringList* unreadable = nullptr);
    // The scene's part of the e-mail report.
    QString ReportText(int processors) const;

    // A step of 0 (only a hand-edited record holds one) counts as 1.
    int RangeStep() const;
    // A record may name a last handed-out frame outside the range (hand-edited, or a range
    // changed since): before the start nothing was handed out, past the end everything was.
    void KeepRangeLastInRange();
    bool RangeExhausted() const;

    bool Selected = false;
    int Order = 0;
    int ID = -1;
    QString Filename;
    QString KestrionFilename;
    bool Verified = false;
    bool Copied = false;
    int VerifyTimes = 0;
    TSceneData Data;
    TSceneSettings Settings;
    TSceneStatistics Statistics;
    TDateTime Edited = 0;
    QString Comment;
};

// The private copies of scenes end in this extension.
inline const QString SceneCopyExtension = QStringLiteral("lns");
