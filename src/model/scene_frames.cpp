// Frame bookkeeping of a scene: the pieces it hands out, its progress, the nodes it accepts,
// the frames missing on disk, and its statistics.
#include "model/computer.h"
#include "model/frame_steps.h"
#include "model/scene.h"
#include "options/options.h"
#include "support/file_listing.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/record_text.h"

#include <algorithm>
#include <cmath>

int TScene::RangeStep() const
{
    return Settings.CurrentStep == 0 ? 1 : Settings.CurrentStep;
}

bool TScene::RangeExhausted() const
{
    // Also a hand-edited record whose last handed-out frame lies past the end.
    return !FrameAfter(Settings.CurrentLast, Settings.RangeLast, RangeStep());
}

void TScene::KeepRangeLastInRange()
{
    const qint64 step = RangeStep();
    const qint64 before = qint64(Settings.CurrentFirst) - step;
    // A range that ends before it starts has nothing to hand out.
    const bool empty = FrameAfter(Settings.CurrentFirst, Settings.CurrentLast, step);
    if (empty || FrameAfter(Settings.RangeLast, Settings.CurrentLast, step))
        Settings.RangeLast = Settings.CurrentLast;
    else if (FrameAfter(before, Settings.RangeLast, step))
        Settings.RangeLast = before;
}

void TScene::Reset(TDateTime now)
{
    ResetFrames();
    Edited = now;
}

void TScene::ResetFrames()
{
    Settings.RangeLast = qint64(Settings.CurrentFirst) - RangeStep();
    Settings.SinglesToDo = Settings.SinglesList;
    Settings.MissingList.clear();
    Verified = false;
    VerifyTimes = 0;
    Copied = false;
    Statistics.RenderStarted = 0;
    Statistics.RenderTimeTotal = 0;
    Statistics.RenderFramesCount = 0;
}

TPiece TScene::NextFrames(int count)
{
    TPiece piece;
    if (!Settings.MissingList.isEmpty()) {
        piece.First = TakeNumber(Settings.MissingList);
        piece.Last = piece.First;
        piece.Step = 1;
    } else if (Settings.Range && !RangeExhausted()) {
        const qint64 step = RangeStep();
        const qint64 first = Settings.RangeLast + step;
        qint64 last = first + (qint64(std::max(count, 1)) - 1) * step;
        if (FrameAfter(last + step, Settings.CurrentLast, step))
            last = Settings.CurrentLast;
        piece = { static_cast<int>(first), static_cast<int>(last), static_cast<int>(step) };
        Settings.RangeLast = piece.Last;
    } else if (Settings.Singles && !Settings.SinglesToDo.isEmpty()) {
        piece.First = TakeNumber(Settings.SinglesToDo);
        piece.Last = piece.First;
        piece.Step = 1;
    } else {
        return piece;
    }
    Settings.RenderLast = piece.Last;
    return piece;
}

QString TScene::NextFramesText(int count)
{
    const TPiece piece = NextFrames(count);
    if (piece.First == -1 && piece.Last == -1 && piece.Step == -1)
        return QString();
    return QStringLiteral("%1 %2 %3").arg(piece.First).arg(piece.Last).arg(piece.Step);
}

bool TScene::IsFinished() const
{
    return (!Settings.Range || RangeExhausted()) && (!Settings.Singles || Settings.SinglesToDo.isEmpty())
        && Settings.MissingList.isEmpty();
}

qint64 TScene::TotalFrames() const
{
    qint64 total = CountNumbers(Settings.MissingList);
    if (Settings.Range)
        total += (qint64(Settings.CurrentLast) - Settings.CurrentFirst) / RangeStep() + 1;
    if (Settings.Singles)
        total += CountNumbers(Settings.SinglesList);
    return total;
}

int TScene::PercentDone() const
{
    qint64 total = 0;
    qint64 done = 0;
    if (Settings.Range) {
        const qint64 step = RangeStep();
        total = (qint64(Settings.CurrentLast) - Settings.CurrentFirst + step) / step;
        done = (Settings.RangeLast - Settings.CurrentFirst + step) / step;
    }
    if (Settings.Singles) {
        total += CountNumbers(Settings.SinglesList);
        done += CountNumbers(Settings.SinglesList) - CountNumbers(Settings.SinglesToDo);
    }
    if (total <= 0)
        return 0;
    // A hand-edited record may claim more handed out than there is.
    done = std::clamp<qint64>(done - CountNumbers(Settings.MissingList), 0, total);
    return static_cast<int>(std::nearbyint(double(done) / double(total) * 100.0));
}

TSceneProgress TScene::Progress() const
{
    const int percent = PercentDone();
    if (percent == 0)
        return TSceneProgress::NothingHandedOut;
    return percent == 100 ? TSceneProgress::AllHandedOut : TSceneProgress::UnderWay;
}

qint64 TScene::FramesLeft() const
{
    switch (Progress()) {
    case TSceneProgress::NothingHandedOut:
        return TotalFrames();
    case TSceneProgress::AllHandedOut:
        return 0;
    case TSceneProgress::UnderWay:
        break;
    }
    qint64 left = CountNumbers(Settings.MissingList);
    // Only the range frames not handed out yet: counting one more would show work left on a
    // scene whose range is done and inflate every estimate of the time left.
    if (Settings.Range && !RangeExhausted())
        left += (qint64(Settings.CurrentLast) - Settings.RangeLast) / RangeStep();
    if (Settings.Singles)
        left += CountNumbers(Settings.SinglesToDo);
    return left;
}

bool TScene::MayRenderOn(const TComputer& node, int nodeCount, int onScene, int onSceneOfComputer) const
{
    // Nodes told to load "(none)" would fail on every piece.
    if (IsFinished() || KestrionFilename == NoneText)
        return false;
    if ((Settings.Platforms & (1 << node.PlatformCode())) == 0)
        return false;
    const int self = node.SceneString == Filename ? 1 : 0;
    const int others = onScene - self;
    if (Settings.PlatformRenderComputers && others >= Settings.PlatformRenderComputersValue)
        return false;
    if (Settings.PlatformRenderPercentage) {
        const double share = nodeCount > 0 ? double(others) / nodeCount * 100.0 : 0.0;
        if (!(share < Settings.PlatformRenderPercentageValue))
            return false;
    }
    if (Settings.PlatformRenderSelected && !NumberInList(node.Number, Settings.PlatformRenderSelectedValue))
        return false;
    if (Settings.PlatformRenderMultiprocessor
        && onSceneOfComputer - self >= Settings.PlatformRenderMultiprocessorValue)
        return false;
    // A record without a processor count stands for one processor.
    const int processors = std::max(node.Processors, 1);
    if (Settings.PlatformRenderMemory && node.Memory / processors < Settings.PlatformRenderMemoryValue)
        return false;
    return true;
}

QString TScene::MissingFrames(bool force, const QString& fallbackContentDirectory, QStringList* unreadable)
{
    if (Verified && !force)
        return QString();
    QString missing;
    TFileListing listing;
    if (Data.SaveRGBImagesPrefix != NoneText) {
        const auto check = [&](qint64 frame) {
            if (!FrameExists(listing, frame, TFrameKind::RGB, fallbackContentDirectory))
                AppendNumber(missing, QString::number(frame));
        };
        if (Settings.Range)
            ForEachFrame(Settings.CurrentFirst, Settings.CurrentLast, RangeStep(), check);
        if (Settings.Singles) {
            const QString singles = CleanNumberList(Settings.SinglesList);
            for (const QStringView number : QStringView(singles).split(u' ', Qt::SkipEmptyParts))
                check(number.toLongLong());
        }
    }
    if (unreadable)
        *unreadable = listing.Unreadable();
    // A share that cannot be read tells nothing about the frames on it.
    if (!listing.Unreadable().isEmpty())
        return QString();
    if (!force)
        Verified = missing.isEmpty();
    return missing;
}

void TSceneStatistics::AddFrameTime(TDateTime duration)
{
    RenderTimeTotal += duration;
    ++RenderFramesCount;
}

TDateTime TSceneStatistics::AverageFrameTime() const
{
    return RenderFramesCount > 0 ? RenderTimeTotal / RenderFramesCount : 0;
}

QString TSceneStatistics::StatisticsText(int processors, qint64 framesLeft) const
{
    const int p = processors > 0 ? processors : 1;
    return StatisticsText(QStringLiteral("(on ") + QString::number(p) + QStringLiteral(" processors) ")
        + DurationText(AverageFrameTime() * double(framesLeft) / p));
}

QString TSceneStatistics::StatisticsText(const QString& left) const
{
    const QString separator = QStringLiteral("   |   ");
    return QStringLiteral("Frames finished ") + QString::number(RenderFramesCount) + separator
        + QStringLiteral("Per frame ") + DurationText(AverageFrameTime()) + separator
        + QStringLiteral("Total ") + DurationText(RenderTimeTotal) + separator + QStringLiteral("Left ")
        + left;
}

QString TScene::ReportText(int processors) const
{
    QString copy = QStringLiteral(".");
    if (Settings.AutomaticCopy)
        copy = Copied ? QStringLiteral("C") : QStringLiteral("_");
    QString verify = QStringLiteral(".");
    if (Settings.AutomaticVerify)
        verify = Verified ? QStringLiteral("V") : QStringLiteral("_");
    QStringList lines;
    lines << ExtractName(Filename) + QStringLiteral("   in   ") + ExtractDirectory(Filename) + u')'
          << QStringLiteral("  %1 %2%3 %4 %").arg(Settings.Priority).arg(copy, verify).arg(PercentDone())
          << QStringLiteral("  ") + Statistics.StatisticsText(processors, FramesLeft());
    const QString warnings = WarningsText();
    if (!warnings.isEmpty())
        lines << QStringLiteral("  WARNING ") + warnings;
    lines << QString();
    return lines.join(QStringLiteral("\r\n"));
}
