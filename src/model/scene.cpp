#include "model/scene.h"

#include "model/scene_sections.h"
#include "options/options.h"
#include "support/file_listing.h"
#include "support/files.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/record_text.h"
#include "support/text_file.h"
#include "support/text_routines.h"

#include <QFileInfo>
#include <QSet>
#include <array>
#include <limits>
#include <optional>

namespace {

// The first line of every LightWave scene file.
const QString SceneFileMarker = QStringLiteral("LWSC");
const QString KeyFirstFrame = QStringLiteral("FirstFrame");
const QString KeyLastFrame = QStringLiteral("LastFrame");
const QString KeyFrameStep = QStringLiteral("FrameStep");
const QString KeyCustomSize = QStringLiteral("CustomSize");
const QString KeyRenderRangeType = QStringLiteral("RenderRangeType");
const QString KeyRenderRangeArbitrary = QStringLiteral("RenderRangeArbitrary");
const QString KeyRGBImageFormat = QStringLiteral("RGBImageFormat");
const QString KeyAlphaImageFormat = QStringLiteral("AlphaImageFormat");
// The marker of a scene with extra data, looked for in upper case anywhere in a line.
const QString ExtraDataMarker = QStringLiteral("ZELKOR");

// "W H": both numbers or neither.
void ReadCustomSize(const QString& size, int& width, int& height)
{
    const QStringList numbers = size.split(u' ', Qt::SkipEmptyParts);
    int w = 0;
    int h = 0;
    if (numbers.size() == 2 && TextToInteger(numbers[0], w) && TextToInteger(numbers[1], h)) {
        width = w;
        height = h;
    }
}

// A prefix that names its own location: a drive, a network share or an absolute path.
bool IsNetworkPath(const QString& prefix)
{
    return prefix.contains(u':') || prefix.contains(QStringLiteral("\\\\")) || prefix.startsWith(u'/');
}

bool IsAbsent(const QString& text)
{
    return text.isEmpty() || text == NoneText;
}

// Built-in savers that LightWave names without "(.ext)", with the extension of their files.
const std::array<std::pair<QString, QString>, 1> BuiltInSavers = { {
    { QStringLiteral("_Targa"), QStringLiteral(".tga") },
} };

// The extension of a saver's files: the text between the first "(" and the first ")" of its
// name (".jpg" for "LW_JPEG(.jpg)"), or that of a built-in saver; none when it is not known.
std::optional<QString> SaverExtension(const QString& saver)
{
    const qsizetype open = saver.indexOf(u'(');
    const qsizetype close = saver.indexOf(u')');
    if (open >= 0 && close > open)
        return saver.mid(open + 1, close - open - 1);
    for (const auto& [name, extension] : BuiltInSavers)
        if (saver == name)
            return extension;
    return std::nullopt;
}

// The extension of LightWave 4/5's image format codes.
std::optional<QString> FormatCodeExtension(int code)
{
    static const std::array<QString, 3> extensions
        = { QStringLiteral(".iff"), QStringLiteral(".raw"), QStringLiteral(".tga") };
    if (code < 0 || code >= int(extensions.size()))
        return std::nullopt;
    return extensions[code];
}

} // namespace

namespace {

// A frame number of an arbitrary range: digits only, as number lists hold them.
bool ReadArbitraryFrame(QStringView text, qint64& frame)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 10)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    frame = text.toLongLong();
    return frame <= std::numeric_limits<int>::max();
}

} // namespace

bool ArbitraryFrames(const QString& text, QString& frames)
{
    QString list;
    QSet<qint64> seen;
    for (const QStringView item : QStringView(text).split(u',')) {
        const qsizetype dash = item.indexOf(u'-');
        qint64 first = 0;
        qint64 last = 0;
        if (!ReadArbitraryFrame(dash < 0 ? item : item.left(dash), first)
            || !ReadArbitraryFrame(dash < 0 ? item : item.mid(dash + 1), last))
            return false;
        const qint64 step = first <= last ? 1 : -1;
        for (qint64 frame = first;; frame += step) {
            if (!seen.contains(frame)) {
                if (seen.size() >= ArbitraryFramesLimit)
                    return false;
                seen.insert(frame);
                AppendNumber(list, QString::number(frame));
            }
            if (frame == last)
                break;
        }
    }
    frames = list;
    return !frames.isEmpty();
}

TScene::TScene(const QString& contentDirectory)
{
    Settings.ContentDirectory = contentDirectory;
    SetDataDefaults();
}

void TScene::SetDataDefaults()
{
    Data = TSceneData();
    Data.OriginalFirst = Settings.CurrentFirst;
    Data.OriginalLast = Settings.CurrentLast;
    Data.OriginalStep = Settings.CurrentStep;
    Data.Resolution = 1;
    Data.RenderMode = 2;
    Data.RayTraceEffects = 7;
    Data.RayRecursionLimit = 16;
    Data.DataOverlay = -1;
    Data.SaveRGBImagesPrefix = NoneText;
    Data.SaveAlphaImagesPrefix = NoneText;
    Data.RGBImageSaver = NoneText;
    Data.AlphaImageSaver = NoneText;
}

bool TScene::ReadSceneFile(const QString& path, QString* reason)
{
    Filename = path;
    QString why;
    QStringList lines;
    if (!QFileInfo::exists(path))
        why = QStringLiteral("the file does not exist");
    else if (QFileInfo(path).isDir())
        why = QStringLiteral("it is a directory, not a scene file");
    else if (!ReadTextLines(path, lines))
        why = QStringLiteral("the file cannot be read (check its permissions)");
    else if (lines.isEmpty())
        why = QStringLiteral("the file is empty");
    else if (lines[0] != SceneFileMarker)
        why = QStringLiteral("it is not a LightWave scene (its first line is not \"LWSC\")");
    if (why.isEmpty()) {
        ReadSceneLines(lines);
        // Arbitrary frames need no range of their own.
        if (Settings.Range
            && (Settings.CurrentFirst == -1 || Settings.CurrentLast == -1 || Settings.CurrentStep == 0))
            why = QStringLiteral("its frame range is unusable (first frame %1, last frame %2, step %3)")
                      .arg(Settings.CurrentFirst)
                      .arg(Settings.CurrentLast)
                      .arg(Settings.CurrentStep);
    }
    if (reason)
        *reason = why;
    return why.isEmpty();
}

void TScene::ReadSceneLines(const QStringList& lines)
{
    // LightWave 6 and later keep the prefix of an output switched off, with its flag at 0;
    // older files have no flag, and their prefix line means the output is on.
    int saveRGB = -1;
    int saveAlpha = -1;
    int rangeType = 0;
    QString arbitrary;
    TSceneSection section = SectionHead;
    for (const QString& line : lines) {
        if (line.contains(ExtraDataMarker, Qt::CaseInsensitive))
            Data.ExtraData = true;
        section = NextSection(line, section);
        if (section != SectionObject) {
            ReadKeyInteger(KeyRenderRangeType, line, rangeType);
            ReadKeyValue(KeyRenderRangeArbitrary, line, arbitrary);
        }
        if (section == SectionHead) {
            ReadKeyInteger(KeyFirstFrame, line, Data.OriginalFirst);
            ReadKeyInteger(KeyLastFrame, line, Data.OriginalLast);
            ReadKeyInteger(KeyFrameStep, line, Data.OriginalStep);
        } else if (section == SectionCamera) {
            ReadRenderSettings(line);
            ReadKeyInteger(KeySaveRGB, line, saveRGB);
            ReadKeyInteger(KeySaveAlpha, line, saveAlpha);
        }
    }
    if (saveRGB == 0)
        Data.SaveRGBImagesPrefix = NoneText;
    if (saveAlpha == 0)
        Data.SaveAlphaImagesPrefix = NoneText;
    Settings.Range = true;
    Settings.CurrentFirst = Data.OriginalFirst;
    Settings.CurrentLast = Data.OriginalLast;
    Settings.CurrentStep = Data.OriginalStep;
    // Arbitrary frames are single frames, so pieces, progress and verification follow them.
    QString frames;
    if (rangeType == RangeTypeArbitrary && ArbitraryFrames(arbitrary, frames)) {
        Settings.Range = false;
        Settings.Singles = true;
        Settings.SinglesList = frames;
    } else {
        Data.IgnoredRangeType = rangeType;
    }
    ResetFrames();
}

void TScene::ReadRenderSettings(const QString& line)
{
    ReadKeyBoolean(QStringLiteral("Stereoscopic"), line, Data.Stereoscopic);
    ReadKeyInteger(QStringLiteral("Resolution"), line, Data.Resolution);
    QString size;
    if (ReadKeyValue(KeyCustomSize, line, size)) {
        Data.CustomSize = true;
        ReadCustomSize(size, Data.CustomWidth, Data.CustomHeight);
    }
    ReadKeyBoolean(QStringLiteral("NTSCWidescreen"), line, Data.NTSCWidescreen);
    ReadKeyInteger(QStringLiteral("PixelAspectRatio"), line, Data.PixelAspectRatio);
    ReadKeyBoolean(QStringLiteral("LimitedRegion"), line, Data.LimitedRegion);
    ReadKeyInteger(QStringLiteral("SegmentMemory"), line, Data.SegmentMemory);
    ReadKeyInteger(QStringLiteral("Antialiasing"), line, Data.Antialiasing);
    ReadKeyBoolean(QStringLiteral("EnhancedAA"), line, Data.EnhancedAA);
    ReadKeyInteger(QStringLiteral("FilterType"), line, Data.FilterType);
    ReadKeyBoolean(QStringLiteral("AdaptiveSampling"), line, Data.AdaptiveSampling);
    ReadKeyInteger(QStringLiteral("AdaptiveThreshold"), line, Data.AdaptiveThreshold);
    ReadKeyBoolean(QStringLiteral("FilmSize"), line, Data.FilmSize);
    ReadKeyBoolean(QStringLiteral("FieldRendering"), line, Data.FieldRendering);
    ReadKeyInteger(QStringLiteral("MotionBlur"), line, Data.MotionBlur);
    ReadKeyInteger(QStringLiteral("RenderMode"), line, Data.RenderMode);
    ReadKeyInteger(QStringLiteral("RayTraceEffects"), line, Data.RayTraceEffects);
    ReadKeyInteger(QStringLiteral("RayRecursionLimit"), line, Data.RayRecursionLimit);
    ReadKeyInteger(QStringLiteral("DataOverlay"), line, Data.DataOverlay);
    ReadKeyValue(QStringLiteral("DataOverlayLabel"), line, Data.DataOverlayLabel);
    ReadKeyInteger(QStringLiteral("OutputFilenameFormat"), line, Data.OutputFilenameFormat);
    ReadKeyValue(QStringLiteral("AlphaImageSaver"), line, Data.AlphaImageSaver);
    ReadKeyValue(QStringLiteral("SaveRGBImagesPrefix"), line, Data.SaveRGBImagesPrefix);
    ReadKeyValue(QStringLiteral("RGBImageSaver"), line, Data.RGBImageSaver);
    ReadKeyValue(QStringLiteral("SaveAlphaImagesPrefix"), line, Data.SaveAlphaImagesPrefix);
    ReadKeyInteger(KeyRGBImageFormat, line, Data.RGBImageFormat);
    ReadKeyInteger(KeyAlphaImageFormat, line, Data.AlphaImageFormat);
}

void TScene::WriteRenderOptions(QStringList& lines) const
{
    lines << SceneLineInteger(QStringLiteral("RenderMode"), Data.RenderMode)
          << SceneLineInteger(QStringLiteral("RayTraceEffects"), Data.RayTraceEffects)
          << SceneLineInteger(QStringLiteral("RayRecursionLimit"), Data.RayRecursionLimit);
    if (Data.DataOverlay != -1)
        lines << SceneLineInteger(QStringLiteral("DataOverlay"), Data.DataOverlay);
    lines << SceneLine(QStringLiteral("DataOverlayLabel"), Data.DataOverlayLabel)
          << SceneLineInteger(QStringLiteral("OutputFilenameFormat"), Data.OutputFilenameFormat);
    if (Data.SaveRGBImagesPrefix != NoneText)
        lines << SceneLine(QStringLiteral("SaveRGBImagesPrefix"), Data.SaveRGBImagesPrefix);
    if (Data.RGBImageSaver != NoneText)
        lines << SceneLine(QStringLiteral("RGBImageSaver"), Data.RGBImageSaver);
    // No saver is made up for an alpha output without one: LightWave takes its own default.
    if (Data.SaveAlphaImagesPrefix != NoneText)
        lines << SceneLine(QStringLiteral("SaveAlphaImagesPrefix"), Data.SaveAlphaImagesPrefix);
    if (Data.AlphaImageSaver != NoneText)
        lines << SceneLine(QStringLiteral("AlphaImageSaver"), Data.AlphaImageSaver);
}

void TScene::WriteCameraSettings(QStringList& lines) const
{
    lines << SceneLineBoolean(QStringLiteral("Stereoscopic"), Data.Stereoscopic)
          << SceneLineInteger(QStringLiteral("Resolution"), Data.Resolution);
    if (Data.CustomSize)
        lines << SceneLine(
            KeyCustomSize, QString::number(Data.CustomWidth) + u' ' + QString::number(Data.CustomHeight));
    lines << SceneLineBoolean(QStringLiteral("NTSCWidescreen"), Data.NTSCWidescreen)
          << SceneLineInteger(QStringLiteral("PixelAspectRatio"), Data.PixelAspectRatio)
          << SceneLineBoolean(QStringLiteral("LimitedRegion"), Data.LimitedRegion)
          << SceneLineInteger(QStringLiteral("SegmentMemory"), Data.SegmentMemory)
          << SceneLineInteger(QStringLiteral("Antialiasing"), Data.Antialiasing)
          << SceneLineBoolean(QStringLiteral("EnhancedAA"), Data.EnhancedAA)
          << SceneLineInteger(QStringLiteral("FilterType"), Data.FilterType)
          << SceneLineBoolean(QStringLiteral("AdaptiveSampling"), Data.AdaptiveSampling)
          << SceneLineInteger(QStringLiteral("AdaptiveThreshold"), Data.AdaptiveThreshold)
          << SceneLineBoolean(QStringLiteral("FilmSize"), Data.FilmSize)
          << SceneLineBoolean(QStringLiteral("FieldRendering"), Data.FieldRendering)
          << SceneLineInteger(QStringLiteral("MotionBlur"), Data.MotionBlur);
    // Not render options: no copy is given them, but verification needs them after a restart.
    if (Data.RGBImageFormat != -1)
        lines << SceneLineInteger(KeyRGBImageFormat, Data.RGBImageFormat);
    if (Data.AlphaImageFormat != -1)
        lines << SceneLineInteger(KeyAlphaImageFormat, Data.AlphaImageFormat);
}

void TScene::MakeSceneCopy(TDateTime now)
{
    KestrionFilename = FreeFileName(Filename, SceneCopyExtension);
    Edited = now;
    if (!CopyFileTo(Filename, KestrionFilename, false))
        KestrionFilename = NoneText;
}

namespace {

// Formats other than the four known ones are named like the most common, "Name0001.xxx".
bool FormatKnown(int format)
{
    return format >= 0 && format <= 3;
}

bool FormatHasExtension(int format)
{
    return !FormatKnown(format) || format == 1 || format == 3;
}

// The extension LightWave gives the files of an output: from its saver, or in LightWave 4/5
// files from its format code; none when neither tells.
std::optional<QString> OutputExtension(const QString& saver, int formatCode)
{
    if (!IsAbsent(saver))
        return SaverExtension(saver);
    return FormatCodeExtension(formatCode);
}

} // namespace

bool TScene::FrameNameComplete(TFrameKind kind) const
{
    const bool rgb = kind == TFrameKind::RGB;
    return !FormatHasExtension(Data.OutputFilenameFormat)
        || OutputExtension(rgb ? Data.RGBImageSaver : Data.AlphaImageSaver,
            rgb ? Data.RGBImageFormat : Data.AlphaImageFormat)
               .has_value();
}

QString TScene::FrameFileName(qint64 frame, TFrameKind kind, const QString& fallbackContentDirectory) const
{
    const int format = Data.OutputFilenameFormat;
    const int digits = FormatKnown(format) && format < 2 ? 3 : 4;
    const bool rgb = kind == TFrameKind::RGB;
    const QString& prefix = rgb ? Data.SaveRGBImagesPrefix : Data.SaveAlphaImagesPrefix;
    QString name = prefix + ZeroPadded(frame, digits);
    if (Data.Stereoscopic)
        name += u'L';
    if (FormatHasExtension(format))
        name += OutputExtension(rgb ? Data.RGBImageSaver : Data.AlphaImageSaver,
            rgb ? Data.RGBImageFormat : Data.AlphaImageFormat)
                    .value_or(QString());
    if (IsNetworkPath(prefix))
        return name;
    const QString content = ContentDirectoryOr(fallbackContentDirectory);
    return IsAbsent(content) ? name : JoinPath(content, name);
}

QString TScene::ContentDirectoryOr(const QString& fallback) const
{
    return IsAbsent(Settings.ContentDirectory) ? fallback : Settings.ContentDirectory;
}

bool TScene::FrameExists(qint64 frame, TFrameKind kind, const QString& fallbackContentDirectory) const
{
    if (FrameNameComplete(kind))
        return QFileInfo(FrameFileName(frame, kind, fallbackContentDirectory)).isFile();
    TFileListing listing;
    return FrameExists(listing, frame, kind, fallbackContentDirectory);
}

bool TScene::FrameExists(
    TFileListing& listing, qint64 frame, TFrameKind kind, const QString& fallbackContentDirectory) const
{
    const QString name = FrameFileName(frame, kind, fallbackContentDirectory);
    return FrameNameComplete(kind) ? listing.Exists(name) : listing.ExistsWithAnyExtension(name);
}

QString TScene::WarningsText() const
{
    QString text;
    const QString separator = QStringLiteral(" | ");
    if (Data.Stereoscopic)
        text += QStringLiteral("Stereoscopic") + separator;
    if (Data.SaveRGBImagesPrefix == NoneText)
        text += QStringLiteral("No RGB image output") + separator;
    else if (!IsNetworkPath(Data.SaveRGBImagesPrefix))
        text += QStringLiteral("No network output path (using Content Directory)") + separator;
    if (Data.SaveRGBImagesPrefix == Data.SaveAlphaImagesPrefix)
        text += QStringLiteral("Image and alpha output are the same") + separator;
    if (VerifyTimes == Settings.AutomaticVerifyTimes)
        text += QString::number(VerifyTimes) + QStringLiteral(" times automatically verified") + separator;
    if (KestrionFilename == NoneText)
        text += QStringLiteral("Scene duplication failed (*.lsn)") + separator;
    if (Data.ExtraData)
        text += QStringLiteral("An 'Varnocade' scene") + separator;
    if (Data.IgnoredRangeType == RangeTypeArbitrary)
        text += QStringLiteral("Arbitrary render range unreadable, rendering the frame range") + separator;
    else if (Data.IgnoredRangeType != 0)
        text += QStringLiteral("Render range type %1 not supported, rendering the frame range")
                    .arg(Data.IgnoredRangeType)
            + separator;
    text.chop(separator.size());
    return text;
}
