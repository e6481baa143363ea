#include "app/cli_commands.h"

#include "app/cli_arguments.h"
#include "app/cli_remote.h"
#include "farm/master_lock.h"
#include "farm/scene_commands.h"
#include "farm/scene_operations.h"
#include "model/estimate.h"
#include "model/scene_list.h"
#include "options/options.h"
#include "remote/command.h"
#include "support/paths.h"
#include "support/termination_signal.h"
#include "support/text_routines.h"
#include "views/farm_json.h"
#include "views/farm_tables.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QSet>
#include <cstdio>
#include <unistd.h>

namespace {

// How often a wait looks at the lists again; looking for a scene just sent, more often.
constexpr int PollMs = 500;
constexpr int LookMs = 100;

// One line on standard error, in the program's name.
void Say(const QString& text)
{
    std::fprintf(stderr, "kestrion-cli: %s\n", qPrintable(OneLine(text)));
}

int Fail(const QString& text)
{
    Say(text);
    return 1;
}

void PrintLines(const QStringList& lines)
{
    for (const QString& line : lines)
        std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

bool Terminal()
{
    return ::isatty(::fileno(stdout)) == 1;
}

QString SceneName(const TScene& scene)
{
    return QStringLiteral("%1 %2").arg(scene.ID).arg(ExtractName(scene.Filename));
}

class TRun
{
public:
    TRun(const TCliArguments& arguments, TOptions& options)
        : A(arguments)
        , Options(options)
        , Remote(options, arguments.TimeoutSeconds)
    { }

    int Run();

private:
    TFarmHeader Header() const
    {
        return { Remote.MasterName(), QStringLiteral("remote"),
            Remote.TcpIp() ? QStringLiteral("tcpip") : QStringLiteral("file") };
    }
    QStringList Tables(TCliCommand command);
    QByteArray Json(QJsonDocument::JsonFormat format);
    int Read();
    int Watch();
    int Submit();
    int WaitForScenes(const QList<int>& ids, const QHash<int, QString>& names);
    int OnScenes();
    int Priority();
    int OnNodes();
    int Deliver(const std::function<bool(TFarm&)>& command, const QString& done);

    const TCliArguments& A;
    TOptions& Options;
    TCliRemote Remote;
};

QStringList TRun::Tables(TCliCommand command)
{
    const TFarm& farm = Remote.Farm();
    QStringList lines;
    if (command != TCliCommand::Nodes)
        lines << ScenesTable(farm.Scenes, farm.Computers);
    if (command == TCliCommand::Watch)
        lines << QString();
    if (command != TCliCommand::Status)
        lines << NodesTable(farm.Computers, farm.Scenes);
    return lines;
}

QByteArray TRun::Json(QJsonDocument::JsonFormat format)
{
    const TFarm& farm = Remote.Farm();
    return QJsonDocument(FarmJson(Header(), farm.Scenes, farm.Computers)).toJson(format);
}

int TRun::Read()
{
    if (!Remote.Read())
        return Fail(Remote.Error);
    if (Remote.MasterAbsent())
        Say(QStringLiteral("No Master holds the commands directory %1 (no %2 there): these are the lists a "
                           "Master stored last.")
                .arg(Options.ScreamerDirectory, MasterLockFileName));
    if (A.Json)
        std::fputs(Json(QJsonDocument::Indented).constData(), stdout);
    else
        PrintLines(Tables(A.Command));
    return 0;
}

int TRun::Watch()
{
    if (!Remote.Read())
        return Fail(Remote.Error);
    TTerminationSignal termination;
    bool stop = false;
    QObject::connect(
        &termination, &TTerminationSignal::Received, &termination, [&stop](int) { stop = true; });
    const bool terminal = Terminal() && !A.Json;
    QByteArray shown;
    while (true) {
        QByteArray text;
        if (A.Json) {
            text = Json(QJsonDocument::Compact) + '\n';
        } else {
            const QString master = Remote.MasterAbsent() ? QStringLiteral("(no Master)") : Remote.MasterName();
            QStringList lines { QStringLiteral("Kestrion %1 - %2")
                                    .arg(master, QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss")))
                                    .simplified() };
            lines << Tables(TCliCommand::Watch);
            text = lines.join(u'\n').toUtf8() + '\n';
        }
        // A terminal is drawn again in place; a pipe or file gets each new picture once.
        if (terminal) {
            std::fputs("\x1b[H\x1b[2J", stdout);
            std::fputs(text.constData(), stdout);
        } else if (A.Json ? text != shown : text.mid(text.indexOf('\n')) != shown.mid(shown.indexOf('\n'))) {
            std::fputs(text.constData(), stdout);
            if (!A.Json)
                std::fputs("\n", stdout);
        }
        std::fflush(stdout);
        shown = text;
        if (TCliRemote::WaitUntil([&stop] { return stop; }, 1000))
            return 0;
        if (!Remote.Refresh())
            return Fail(Remote.Error);
    }
}

int TRun::Deliver(const std::function<bool(TFarm&)>& command, const QString& done)
{
    if (!Remote.Deliver(command))
        return Fail(Remote.Error);
    if (!done.isEmpty())
        PrintLines({ done });
    return 0;
}

int TRun::OnScenes()
{
    if (!Remote.Read())
        return Fail(Remote.Error);
    QList<int> ids;
    QString error;
    if (!ResolveScenes(Remote.Farm().Scenes, A.Words, ids, error))
        return Fail(error);
    QStringList names;
    for (const int id : ids)
        names << SceneName(*Remote.Farm().Scenes.FindByID(id));
    switch (A.Command) {
    case TCliCommand::Remove:
        return Deliver([&](TFarm& farm) { return RemoveScenes(farm, ids); },
            QStringLiteral("Removed: ") + names.join(QStringLiteral(", ")));
    case TCliCommand::Reset:
        return Deliver([&](TFarm& farm) { return ResetScenes(farm, ids); },
            QStringLiteral("Started over: ") + names.join(QStringLiteral(", ")));
    default:
        return Deliver([&](TFarm& farm) { return DuplicateScenes(farm, ids); },
            QStringLiteral("Duplicated: ") + names.join(QStringLiteral(", ")));
    }
}

int TRun::Priority()
{
    if (!Remote.Read())
        return Fail(Remote.Error);
    QList<int> ids;
    QString error;
    if (!ResolveScenes(Remote.Farm().Scenes, A.Words, ids, error))
        return Fail(error);
    const TScene& scene = *Remote.Farm().Scenes.FindByID(ids.first());
    TSceneEdit edit = SceneEditOf(scene);
    edit.Priority = A.Level;
    return Deliver([&](TFarm& farm) { return EditScenes(farm, ids, edit); },
        QStringLiteral("Priority %1: %2").arg(PriorityName(A.Level), SceneName(scene)));
}

int TRun::OnNodes()
{
    if (!Remote.Read())
        return Fail(Remote.Error);
    QList<int> numbers;
    for (const QString& word : A.Words) {
        const int number = word.trimmed().toInt();
        if (!Remote.Farm().Computers.FindByNumber(number))
            return Fail(QStringLiteral("The Master has no render node %1; \"kestrion-cli nodes\" lists them.")
                            .arg(word));
        numbers << number;
    }
    QStringList texts;
    for (const int number : numbers)
        texts << QString::number(number);
    if (A.Command == TCliCommand::Kill)
        return Deliver([&](TFarm&) { return Remote.Discovery().Kill(numbers); },
            QStringLiteral("Told to quit: node ") + texts.join(QStringLiteral(", ")));
    Remote.People().RenderAgain = A.RenderAgain;
    return Deliver([&](TFarm&) { return Remote.Discovery().MarkCrashed(numbers); },
        QStringLiteral("Declared crashed: node ") + texts.join(QStringLiteral(", "))
            + (A.RenderAgain ? QStringLiteral("; their frames are rendered again") : QString()));
}

// The initial options changed by the switches of "submit".
void ApplySwitches(const TSubmitSwitches& s, TSceneSettings& settings)
{
    const auto limit = [](const auto& given, bool& on, auto& value) {
        if (given) {
            on = true;
            value = *given;
        }
    };
    limit(s.Nodes, settings.PlatformRenderSelected, settings.PlatformRenderSelectedValue);
    limit(s.MaxNodes, settings.PlatformRenderComputers, settings.PlatformRenderComputersValue);
    limit(s.Percent, settings.PlatformRenderPercentage, settings.PlatformRenderPercentageValue);
    limit(s.Memory, settings.PlatformRenderMemory, settings.PlatformRenderMemoryValue);
    settings.Priority = s.Priority.value_or(settings.Priority);
    if (s.Verify) {
        settings.AutomaticVerify = *s.Verify > 0;
        if (*s.Verify > 0)
            settings.AutomaticVerifyTimes = *s.Verify;
    }
}

int TRun::Submit()
{
    // Each file is checked here first, so a typo is refused before anything is sent.
    QStringList paths;
    for (const QString& word : A.Words) {
        const QString path = QFileInfo(word).absoluteFilePath();
        TScene probe(Options.ContentDirectory);
        QString reason;
        if (!probe.ReadSceneFile(path, &reason))
            return Fail(SceneRefusedText(path, reason));
        if (!paths.contains(path))
            paths << path;
    }
    if (!Remote.Read())
        return Fail(Remote.Error);
    QSet<int> before;
    for (int index = 0; index < Remote.Farm().Scenes.Count(); ++index)
        before << Remote.Farm().Scenes.Item(index).ID;

    const TSubmitSwitches& s = A.Submit;
    TScene initial = InitialOptions(Options);
    ApplySwitches(s, initial.Settings);
    // The Master reads a new scene's range from its file. A scene that is to render other frames
    // waits, taken by no node, until its range has come by an edit.
    const bool ownFrames = s.Range || s.Singles;
    // A record without any platform reads back as every platform, so the scene waits as one
    // that no node may take at once (at most none at a time).
    const bool limited = initial.Settings.PlatformRenderComputers;
    const int limit = initial.Settings.PlatformRenderComputersValue;
    if (ownFrames) {
        initial.Settings.PlatformRenderComputers = true;
        initial.Settings.PlatformRenderComputersValue = 0;
    }
    if (!Remote.Deliver([&](TFarm& farm) { return AddScenes(farm, paths, initial); }))
        return Fail(Remote.Error);

    // Ours are the scenes of these files new since the command, added in this installation's name.
    QHash<QString, QList<int>> found;
    const auto lookUp = [&] {
        found.clear();
        const TSceneList& scenes = Remote.Farm().Scenes;
        for (int index = 0; index < scenes.Count(); ++index) {
            const TScene& scene = scenes.Item(index);
            if (!before.contains(scene.ID) && paths.contains(scene.Filename)
                && scene.Comment == Options.ScreamerName)
                found[scene.Filename] << scene.ID;
        }
        return found.size() == paths.size();
    };
    const QDeadlineTimer deadline(qint64(A.TimeoutSeconds) * 1000);
    while (!lookUp()) {
        if (deadline.hasExpired()) {
            QStringList missing;
            for (const QString& path : std::as_const(paths))
                if (!found.contains(path))
                    missing << path;
            return Fail(
                QStringLiteral("The Master did not queue %1 within %2 s. Its events tell why (\"Scenes "
                               "Refused\"): check that the Master can read the file under that path.")
                    .arg(missing.join(QStringLiteral(", ")))
                    .arg(A.TimeoutSeconds));
        }
        TCliRemote::WaitUntil([] { return false; }, LookMs);
        if (!Remote.Refresh())
            return Fail(Remote.Error);
    }
    QList<int> ids;
    for (const QString& path : std::as_const(paths))
        ids << found.value(path);
    // Named now: the lists change while the client waits, and a scene may leave them.
    QHash<int, QString> names;
    for (const int id : std::as_const(ids))
        names.insert(id, SceneName(*Remote.Farm().Scenes.FindByID(id)));

    if (ownFrames) {
        for (const int id : std::as_const(ids)) {
            const TScene* scene = Remote.Farm().Scenes.FindByID(id);
            if (!scene)
                return Fail(QStringLiteral("Scene %1 left the queue before its frames were set.").arg(id));
            TSceneEdit edit = SceneEditOf(*scene);
            edit.PlatformRenderComputers = limited;
            edit.PlatformRenderComputersValue = QString::number(limit);
            edit.Range = s.Range;
            if (s.Range) {
                edit.First = QString::number(s.First);
                edit.Last = QString::number(s.Last);
                edit.Step = QString::number(s.Step);
            }
            edit.Singles = s.Singles.has_value();
            if (s.Singles)
                edit.SinglesList = *s.Singles;
            if (!Remote.Deliver([&](TFarm& farm) { return EditScenes(farm, { id }, edit); }))
                return Fail(Remote.Error
                    + QStringLiteral(
                        " Scene %1 waits in the queue without a node until it is edited or removed.")
                          .arg(id));
        }
    }
    QStringList lines;
    for (const int id : std::as_const(ids))
        lines << QStringLiteral("Queued: ") + names.value(id);
    PrintLines(lines);
    return s.Wait ? WaitForScenes(ids, names) : 0;
}

int TRun::WaitForScenes(const QList<int>& ids, const QHash<int, QString>& names)
{
    const bool terminal = Terminal();
    QStringList shown;
    while (true) {
        if (!Remote.Refresh())
            return Fail(Remote.Error);
        QStringList lines;
        QString failure;
        bool done = true;
        bool verified = true;
        for (const int id : ids) {
            const TScene* scene = Remote.Farm().Scenes.FindByID(id);
            if (!scene) {
                failure
                    = QStringLiteral("Scene %1 was removed from the Master's queue before it was verified.")
                          .arg(names.value(id));
                break;
            }
            const TSceneEstimate estimate = EstimateScene(*scene, Remote.Farm().Computers);
            if (estimate.State == TSceneState::FramesMissing) {
                failure = QStringLiteral(
                    "Scene %1: frames %2 are still missing after %3 verifications. Check the "
                    "nodes' output directory and the Master's events.")
                              .arg(names.value(id),
                                  scene->Settings.MissingList.isEmpty()
                                      ? QStringLiteral("(see the frame manager)")
                                      : scene->Settings.MissingList.left(200))
                              .arg(scene->VerifyTimes);
                break;
            }
            const bool finished = estimate.State == TSceneState::Verified
                || (estimate.State == TSceneState::Finished && !scene->Settings.AutomaticVerify);
            done = done && finished;
            verified = verified && estimate.State == TSceneState::Verified;
            QString line = QStringLiteral("%1 %2/%3 %4")
                               .arg(names.value(id))
                               .arg(estimate.FramesDone)
                               .arg(estimate.FramesTotal)
                               .arg(SceneStateText(estimate.State));
            if (terminal)
                line = QStringLiteral("%1 %2 %3/%4 %5 %6")
                           .arg(names.value(id), ProgressBar(estimate.FramesDone, estimate.FramesTotal))
                           .arg(estimate.FramesDone)
                           .arg(estimate.FramesTotal)
                           .arg(SceneStateText(estimate.State), TimeLeftText(estimate.SecondsLeft));
            lines << line;
        }
        if (terminal && !failure.isEmpty() && !shown.isEmpty())
            std::fputs("\n", stdout);
        if (!failure.isEmpty())
            return Fail(failure);
        if (terminal) {
            if (!shown.isEmpty())
                std::fprintf(stdout, "\x1b[%dA", int(shown.size()));
            for (const QString& line : std::as_const(lines))
                std::fprintf(stdout, "\x1b[2K%s\n", qPrintable(line));
            std::fflush(stdout);
        } else {
            QStringList changed;
            for (qsizetype index = 0; index < lines.size(); ++index)
                if (shown.value(index) != lines[index])
                    changed << lines[index];
            PrintLines(changed);
        }
        shown = lines;
        if (done) {
            PrintLines({ verified ? QStringLiteral("Verified: every frame is on disk.")
                                  : QStringLiteral("Finished; automatic verification is off, so no frame was "
                                                   "looked for.") });
            return 0;
        }
        TCliRemote::WaitUntil([] { return false; }, PollMs);
    }
}

int TRun::Run()
{
    switch (A.Command) {
    case TCliCommand::Status:
    case TCliCommand::Nodes:
        return Read();
    case TCliCommand::Watch:
        return Watch();
    case TCliCommand::Submit:
        return Submit();
    case TCliCommand::Remove:
    case TCliCommand::Reset:
    case TCliCommand::Duplicate:
        return OnScenes();
    case TCliCommand::Priority:
        return Priority();
    case TCliCommand::Kill:
    case TCliCommand::Crashed:
        return OnNodes();
    case TCliCommand::Rescan:
        return Deliver(
            [this](TFarm&) {
                Remote.Discovery().Rescan();
                return true;
            },
            QStringLiteral("The Master looks for render nodes again."));
    case TCliCommand::Message:
        Remote.People().Message = A.Words.join(u' ');
        return Deliver(SendEventMessage, QStringLiteral("Sent to the Master's events."));
    case TCliCommand::None:
        break;
    }
    return 2;
}

} // namespace

bool ResolveScenes(const TSceneList& scenes, const QStringList& words, QList<int>& ids, QString& error)
{
    ids.clear();
    for (const QString& word : words) {
        bool number = false;
        const int id = word.toInt(&number);
        if (number && scenes.FindByID(id)) {
            if (!ids.contains(id))
                ids << id;
            continue;
        }
        const QString absolute = QFileInfo(word).absoluteFilePath();
        QList<const TScene*> matches;
        for (int index = 0; index < scenes.Count(); ++index) {
            const TScene& scene = scenes.Item(index);
            if (scene.Filename == word || scene.Filename == absolute || ExtractName(scene.Filename) == word)
                matches << &scene;
        }
        if (matches.isEmpty()) {
            error = QStringLiteral(
                "No scene of the Master's queue is \"%1\": it is neither an ID nor a scene file of "
                "it. \"kestrion-cli status\" lists them.")
                        .arg(word);
            return false;
        }
        if (matches.size() > 1) {
            QStringList candidates;
            for (const TScene* scene : std::as_const(matches))
                candidates << QStringLiteral("%1 (%2)").arg(scene->ID).arg(scene->Filename);
            error = QStringLiteral("\"%1\" names %2 scenes: %3. Name the one you mean by its ID.")
                        .arg(word)
                        .arg(matches.size())
                        .arg(candidates.join(QStringLiteral(", ")));
            return false;
        }
        if (!ids.contains(matches.first()->ID))
            ids << matches.first()->ID;
    }
    return true;
}

int RunCli(const TCliArguments& arguments)
{
    const QString name = arguments.OptionsName.isEmpty() ? DefaultOptionsFileName : arguments.OptionsName;
    const QString path = OptionsFilePath(name);
    if (!QFileInfo(path).isFile())
        return Fail(QStringLiteral(
            "The options file %1 is not there. Name this Remote's options with --options FILE: "
            "they say where the commands directory is, or which Master to reach over TCP/IP.")
                        .arg(path));
    TOptions options(name);
    options.Load();
    if (const QString report = options.LoadReport(); !report.isEmpty())
        Say(report);
    // The Master names the nodes a sender lists after the sender's computer; the client speaks
    // for a person, never for nodes, and a file without the key would claim node 1.
    options.ScreamerNumbers.clear();
    TRun run(arguments, options);
    return run.Run();
}
