#include "farm/scene_commands.h"

#include "farm/farm.h"
#include "farm/scene_operations.h"
#include "farm/verification.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command.h"
#include "support/number_list.h"
#include "support/people.h"

#include <QFileInfo>
#include <QSet>
#include <functional>

namespace {

bool MayAct(const TFarm& farm, const QList<int>& ids)
{
    return farm.Scenes.Count() > 0 && !ids.isEmpty();
}

// The IDs of the scenes a Remote still shows, as command lines, each scene logged here.
QStringList LoggedSceneIDs(TFarm& farm, const QString& event, const QList<int>& ids)
{
    QStringList lines;
    for (const int id : ids) {
        const TScene* scene = farm.Scenes.FindByID(id);
        if (!scene)
            continue;
        lines << QString::number(id);
        farm.UserEvent(event, scene->Filename);
    }
    return lines;
}

// A Remote's scene command on the scenes it still shows.
bool SendSceneCommand(TFarm& farm, int code, const QString& event, const QList<int>& ids)
{
    const QStringList lines = LoggedSceneIDs(farm, event, ids);
    if (lines.isEmpty())
        return false;
    farm.Send(code, lines);
    farm.RemoteUpdateSoon();
    return true;
}

// Master: checks a scene and, when the user agrees, queues its missing frames again. The question
// lets ticks run, which may take the scene away, so the check works on a copy and its result is
// put into the scene found again by ID. True when the scene is wholly rendered.
bool VerifyOnMaster(TFarm& farm, const TScene& scene)
{
    const int id = scene.ID;
    TScene copy = scene;
    const QString held = farm.Computers.HeldFrames(copy.Filename);
    const TVerifyResult result = VerifyScene(copy, false, farm.People, farm.Options.ContentDirectory, held);
    const bool complete = result.Missing.isEmpty() && result.Unreadable.isEmpty() && held.isEmpty();
    TScene* live = farm.Scenes.FindByID(id);
    if (!live)
        return complete;
    if (result.QueueChanged) {
        live->Settings.MissingList = AddNewNumbers(live->Settings.MissingList, result.Missing);
        live->Verified = false;
    } else if (complete && !live->Verified) {
        live->Verified = true;
        farm.SceneVerified(*live);
    }
    return complete;
}

// Remote: the Master owns the queue, so missing frames are only shown.
bool VerifyOnRemote(TFarm& farm, TScene& scene)
{
    QStringList unreadable;
    const QString missing = scene.MissingFrames(true, farm.Options.ContentDirectory, &unreadable);
    if (!unreadable.isEmpty()) {
        farm.People.Ask(UnreadableOutputText.arg(unreadable.join(u'\n')), false);
        return false;
    }
    if (missing.isEmpty())
        return true;
    farm.People.Ask(MissingFramesText(scene, missing, farm.People), false);
    return false;
}

// A private copy made from the scene file, carrying the render options the record holds.
void MakeOwnCopy(TScene& scene, TDateTime now)
{
    scene.MakeSceneCopy(now);
    if (scene.KestrionFilename != NoneText)
        scene.RewriteSceneCopy(scene.KestrionFilename);
}

// Scenes read from a list file keep their ID and private copy unless one of the queue already
// holds them; IDs below 1 name no scene at all.
void GiveOwnIdentity(TSceneList& scenes, const QSet<const TScene*>& before, TDateTime now)
{
    QSet<int> ids;
    QSet<QString> copies;
    const auto claim = [&](const TScene& scene) {
        ids.insert(scene.ID);
        if (scene.KestrionFilename != NoneText)
            copies.insert(scene.KestrionFilename);
    };
    for (int index = 0; index < scenes.Count(); ++index)
        if (before.contains(&scenes.Item(index)))
            claim(scenes.Item(index));
    for (int index = 0; index < scenes.Count(); ++index) {
        TScene& scene = scenes.Item(index);
        if (before.contains(&scene))
            continue;
        if (scene.ID < 1 || ids.contains(scene.ID))
            scene.ID = scenes.NewID();
        const QString& copy = scene.KestrionFilename;
        if (copy == NoneText || copies.contains(copy) || !QFileInfo(copy).isFile())
            MakeOwnCopy(scene, now);
        claim(scene);
    }
}

// Logs `event` for each scene still in the queue and acts on it by its index now; the
// after-change step once at the end. False when none was left.
bool OnEachScene(
    TFarm& farm, const QList<int>& ids, const QString& event, const std::function<void(int)>& act)
{
    bool acted = false;
    for (const int id : ids) {
        const int index = farm.Scenes.IndexOfID(id);
        if (index < 0)
            continue;
        farm.UserEvent(event, farm.Scenes.Item(index).Filename);
        act(index);
        acted = true;
    }
    if (acted)
        farm.ScenesChanged();
    return acted;
}

} // namespace

QList<int> SceneIdsOfRows(const TSceneList& scenes, int top, int bottom)
{
    QList<int> ids;
    if (top < 0)
        return ids;
    for (int index = top; index <= bottom && index < scenes.Count(); ++index)
        ids << scenes.Item(index).ID;
    return ids;
}

bool AddScenes(TFarm& farm, const QStringList& paths, const TScene& initial)
{
    if (paths.isEmpty())
        return false;
    if (!farm.IsMaster()) {
        QStringList lines { QString::number(paths.size()) };
        lines << paths;
        TScene record = initial;
        WriteRecord(record, lines);
        farm.Send(ScenesAdd, lines);
        farm.UserEvent(SceneEventSend, QStringLiteral("Scene files sent to master for rendering"));
        farm.RemoteUpdateSoon();
        return true;
    }
    for (const QString& path : paths) {
        farm.UserEvent(SceneEventAdd, path);
        QString reason;
        if (!AddSceneFromFile(farm, path, initial.Settings, farm.Options.ScreamerName, &reason))
            farm.UserEvent(SceneEventRefused, SceneRefusedText(path, reason));
    }
    farm.ScenesChanged();
    return true;
}

bool RemoveScenes(TFarm& farm, const QList<int>& ids)
{
    if (!MayAct(farm, ids) || !farm.People.Ask(RemoveScenesQuestion, true))
        return false;
    if (!farm.IsMaster())
        return SendSceneCommand(farm, ScenesRemove, SceneEventRemove, ids);
    // From the bottom up, as the rows were marked.
    QList<int> bottomUp(ids.crbegin(), ids.crend());
    return OnEachScene(farm, bottomUp, SceneEventRemove, [&farm](int index) { RemoveScene(farm, index); });
}

bool DuplicateScenes(TFarm& farm, const QList<int>& ids)
{
    if (!MayAct(farm, ids))
        return false;
    if (!farm.IsMaster())
        return SendSceneCommand(farm, ScenesDuplicate, SceneEventDuplicate, ids);
    return OnEachScene(farm, ids, SceneEventDuplicate,
        [&farm](int index) { DuplicateScene(farm, index, farm.Options.ScreamerName); });
}

bool ResetScenes(TFarm& farm, const QList<int>& ids)
{
    if (!MayAct(farm, ids))
        return false;
    if (!farm.IsMaster())
        return farm.People.Ask(ResetScenesQuestion, true)
            && SendSceneCommand(farm, ScenesReset, SceneEventReset, ids);
    return OnEachScene(
        farm, ids, SceneEventReset, [&farm](int index) { farm.Scenes.Item(index).Reset(farm.Now()); });
}

bool VerifyScenes(TFarm& farm, const QList<int>& ids)
{
    if (!MayAct(farm, ids))
        return false;
    bool checked = false;
    bool complete = true;
    for (const int id : ids) {
        TScene* scene = farm.Scenes.FindByID(id);
        if (!scene)
            continue;
        checked = true;
        farm.UserEvent(SceneEventVerify, scene->Filename);
        const bool rendered = farm.IsMaster() ? VerifyOnMaster(farm, *scene) : VerifyOnRemote(farm, *scene);
        complete = complete && rendered;
    }
    if (!checked)
        return false;
    if (farm.IsMaster())
        farm.ScenesChanged();
    if (complete)
        farm.People.Ask(AllScenesCompleteText, false);
    return true;
}

QList<int> BeginEditScenes(TFarm& farm, const QList<int>& ids)
{
    QList<int> found;
    if (!MayAct(farm, ids))
        return found;
    for (int index = 0; index < farm.Scenes.Count(); ++index)
        farm.Scenes.Item(index).Selected = false;
    for (const int id : ids) {
        TScene* scene = farm.Scenes.FindByID(id);
        if (!scene)
            continue;
        scene->Selected = true;
        farm.UserEvent(SceneEventEdit, scene->Filename);
        found << id;
    }
    return found;
}

bool EditScenes(TFarm& farm, const QList<int>& ids, const TSceneEdit& edit)
{
    QList<int> edited;
    QStringList records;
    for (const int id : ids) {
        TScene* scene = farm.Scenes.FindByID(id);
        if (!scene) {
            farm.UserEvent(SceneEventEdit, SceneGoneText.arg(id));
            continue;
        }
        edited << id;
        if (!farm.IsMaster()) {
            // The Master owns the private copies; the Remote only tells it what the scene is to be.
            TScene copy = *scene;
            ApplySceneEdit(copy, edit, farm.Now());
            WriteRecord(copy, records);
            continue;
        }
        if (ApplySceneEdit(*scene, edit, farm.Now())) {
            if (scene->KestrionFilename != NoneText)
                scene->RewriteSceneCopy(scene->KestrionFilename);
            // Nodes load the scene again when its stamp moves.
            scene->Edited = farm.Now();
        }
    }
    if (edited.isEmpty())
        return false;
    if (!farm.IsMaster()) {
        QStringList lines { QString::number(edited.size()) };
        for (const int id : edited)
            lines << QString::number(id);
        lines << records;
        farm.Send(ScenesEdit, lines);
        return true;
    }
    // Priorities may have changed.
    farm.Scenes.Renumber();
    farm.ScenesChanged();
    return true;
}

bool ReloadScenes(TFarm& farm, const QList<int>& ids, const TScene& initial)
{
    if (!MayAct(farm, ids))
        return false;
    if (!farm.IsMaster()) {
        QStringList lines = LoggedSceneIDs(farm, SceneEventRemove, ids);
        if (lines.isEmpty())
            return false;
        TScene record = initial;
        WriteRecord(record, lines);
        farm.Send(ScenesReload, lines);
        farm.RemoteUpdateSoon();
        return true;
    }
    QList<int> bottomUp(ids.crbegin(), ids.crend());
    return OnEachScene(farm, bottomUp, SceneEventReload, [&farm, &initial](int index) {
        const QString path = farm.Scenes.Item(index).Filename;
        QString reason;
        if (!ReloadScene(farm, index, initial.Settings, farm.Options.ScreamerName, &reason))
            farm.UserEvent(SceneEventRefused, SceneRefusedText(path, reason));
    });
}

bool MoveSceneRow(TFarm& farm, int from, int to)
{
    const int count = farm.Scenes.Count();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return false;
    const TScene& scene = farm.Scenes.Item(from);
    farm.UserEvent(SceneEventMove, scene.Filename);
    if (farm.IsMaster()) {
        MoveScene(farm, from, to);
        farm.ScenesChanged();
        return true;
    }
    // The Master puts the scene behind the last of the scenes shown before its new place.
    QStringList lines { QString::number(scene.ID) };
    for (int index = 0; index < to; ++index)
        lines << QString::number(farm.Scenes.Item(index).ID);
    farm.Send(ScenesMove, lines);
    farm.RemoteUpdateSoon();
    return true;
}

bool OpenSceneList(TFarm& farm, const QString& path)
{
    if (!farm.IsMaster())
        return false;
    farm.UserEvent(SceneEventListOpen, path);
    QSet<const TScene*> before;
    for (int index = 0; index < farm.Scenes.Count(); ++index)
        before.insert(&farm.Scenes.Item(index));
    if (!LoadSceneList(farm.Scenes, path)) {
        farm.People.Ask(SceneListReadError.arg(path), false);
        return false;
    }
    GiveOwnIdentity(farm.Scenes, before, farm.Now());
    farm.ScenesChanged();
    return true;
}

bool SaveSceneListAs(TFarm& farm, const QString& path)
{
    farm.UserEvent(SceneEventListSave, path);
    if (SaveSceneList(farm.Scenes, path))
        return true;
    farm.People.Ask(SceneListWriteError, false);
    return false;
}

bool SendEventMessage(TFarm& farm)
{
    if (farm.IsMaster())
        return false;
    QString text;
    if (!farm.People.AskText(EventMessageCaption, text) || text.isEmpty())
        return false;
    farm.Send(EventMessage, { text });
    farm.UserEvent(EventMessageEvent, text);
    return true;
}

bool MoveComputer(TFarm& farm, int from, int to)
{
    const int count = farm.Computers.Count();
    if (!farm.IsMaster() || from < 0 || from >= count || to < 0 || to >= count || from == to)
        return false;
    farm.Computers.Move(from, to);
    farm.ComputersChanged();
    return true;
}
