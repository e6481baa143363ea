#include "demo_status.h"

#include "model/scene_record.h"
#include "options/options.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int BarWidth = 40;

void Print(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

QString NodeLine(const TComputer& node)
{
    const QString line = QStringLiteral("  node %1  %2").arg(node.Number).arg(node.StateString);
    const QString frames = node.Frames.isEmpty() ? QString() : PieceFrames(node.Frames);
    // A rendering node names its frame itself.
    if (frames.isEmpty() || node.StateString.endsWith(u' ' + frames))
        return line;
    const bool several = frames.contains(u' ') || frames.contains(u'-') || frames.contains(u',');
    return line.leftJustified(38) + (several ? QStringLiteral("frames ") : QStringLiteral("frame ")) + frames;
}

} // namespace

void ReadFarmState(const TOptions& master, TFarmState& state)
{
    LoadSceneList(state.Scenes, master.StateScenesFile());
    state.Computers.LoadFromFile(master.StateComputersFile());
}

const TScene* FindScene(const TSceneList& scenes, const QString& path)
{
    for (int i = 0; i < scenes.Count(); ++i)
        if (scenes.Item(i).Filename == path)
            return &scenes.Item(i);
    return nullptr;
}

int CountNodesInState(const TComputerList& nodes, TNodeState state)
{
    int count = 0;
    for (int i = 0; i < nodes.Count(); ++i)
        if (nodes.Item(i).StateCode() == state)
            ++count;
    return count;
}

QList<qint64> MissingFrameFiles(const TScene& scene, TFrameKind kind, const QString& fallbackContentDirectory)
{
    QList<qint64> missing;
    const qint64 step = scene.RangeStep();
    for (qint64 frame = scene.Settings.CurrentFirst; frame <= scene.Settings.CurrentLast; frame += step)
        if (!scene.FrameExists(frame, kind, fallbackContentDirectory))
            missing.append(frame);
    return missing;
}

QString ProgressLine(int done, int total)
{
    const int percent = total > 0 ? done * 100 / total : 0;
    const int filled = total > 0 ? done * BarWidth / total : 0;
    return QStringLiteral("  [%1%2]  %3 of %4 frames  %5 %")
        .arg(QString(filled, u'#'), QString(BarWidth - filled, u'-'))
        .arg(done, 2)
        .arg(total)
        .arg(percent, 3);
}

QStringList NodeLines(const TComputerList& nodes)
{
    QStringList lines;
    for (int i = 0; i < nodes.Count(); ++i)
        lines.append(NodeLine(nodes.Item(i)));
    return lines;
}

TStatusDisplay::TStatusDisplay(bool terminal)
    : FTerminal(terminal)
{ }

void TStatusDisplay::Show(const QStringList& lines)
{
    if (lines == FShown)
        return;
    if (!FTerminal) {
        QStringList parts = lines;
        for (QString& part : parts)
            part = part.simplified();
        Print(parts.join(QStringLiteral(" | ")) + u'\n');
        FShown = lines;
        return;
    }
    QString text;
    if (!FShown.isEmpty())
        text += QStringLiteral("\x1b[%1A").arg(FShown.size());
    for (const QString& line : lines)
        text += QStringLiteral("\r\x1b[2K") + line + u'\n';
    // A shorter block leaves nothing of the longer one below it.
    text += QStringLiteral("\x1b[J");
    Print(text);
    FShown = lines;
}

void TStatusDisplay::Message(const QString& text)
{
    Print(text + u'\n');
    FShown.clear();
}

bool StandardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

void PrintLine(const QString& text)
{
    Print(text + u'\n');
}
