#include "model/scene_list.h"

#include "model/computer.h"
#include "model/frame_steps.h"
#include "support/files.h"
#include "support/number_list.h"
#include "support/record_text.h"

#include <QSet>
#include <algorithm>

TScene& TSceneList::Add(std::unique_ptr<TScene> scene, bool assignID)
{
    if (assignID)
        scene->ID = NewID();
    TScene& added = Append(std::move(scene));
    Renumber();
    return added;
}

TScene& TSceneList::Append(std::unique_ptr<TScene> scene)
{
    FItems.push_back(std::move(scene));
    return *FItems.back();
}

int TSceneList::NewID()
{
    QSet<int> taken;
    for (const auto& scene : FItems)
        taken.insert(scene->ID);
    // Never 0: a node's SceneId of 0 means "no scene".
    int id = static_cast<int>(FIDs.bounded(1, 10000));
    while (taken.contains(id))
        ++id;
    return id;
}

int TSceneList::IndexOfID(int id) const
{
    for (int index = Count() - 1; index >= 0; --index)
        if (Item(index).ID == id)
            return index;
    return -1;
}

TScene* TSceneList::FindByID(int id) const
{
    const int index = IndexOfID(id);
    return index < 0 ? nullptr : FItems[static_cast<size_t>(index)].get();
}

void TSceneList::Renumber()
{
    for (int index = 0; index < Count(); ++index)
        Item(index).Order = index;
    std::stable_sort(FItems.begin(), FItems.end(), [](const auto& a, const auto& b) {
        if (a->Settings.Priority != b->Settings.Priority)
            return a->Settings.Priority > b->Settings.Priority;
        return a->Order < b->Order;
    });
}

void TSceneList::Move(int from, int to)
{
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to)
        return;
    auto scene = std::move(FItems[static_cast<size_t>(from)]);
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, std::move(scene));
}

void TSceneList::Remove(int index)
{
    if (index < 0 || index >= Count())
        return;
    auto scene = std::move(FItems[static_cast<size_t>(index)]);
    FItems.erase(FItems.begin() + index);
    DeleteSceneCopy(*scene);
}

void TSceneList::DeleteSceneCopy(const TScene& scene) const
{
    const QString& copy = scene.KestrionFilename;
    // Only our own copies, never the user's scene file or anything else a record may name.
    if (!copy.endsWith(QStringLiteral(".") + SceneCopyExtension, Qt::CaseInsensitive))
        return;
    for (const auto& other : FItems)
        if (other.get() != &scene && other->KestrionFilename == copy)
            return;
    DeleteFileQuietly(copy);
}

TScene* TSceneList::SceneOfNode(const TComputer& node) const
{
    if (TScene* scene = FindByID(node.SceneId))
        return scene;
    if (node.SceneString.isEmpty())
        return nullptr;
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
        if ((*it)->Filename == node.SceneString)
            return it->get();
    return nullptr;
}

void TSceneList::AddCrashedFrames(const TComputer& node)
{
    TScene* scene = SceneOfNode(node);
    if (node.Frames.isEmpty() || !scene)
        return;
    const QString frames = PieceFrames(node.Frames);
    scene->Settings.MissingList = AddNewNumbers(scene->Settings.MissingList, frames);
}

int TSceneList::CountUnfinished() const
{
    return static_cast<int>(
        std::count_if(FItems.begin(), FItems.end(), [](const auto& scene) { return !scene->IsFinished(); }));
}

bool TSceneList::AllFinished() const
{
    return CountUnfinished() == 0;
}

void TSceneList::ReportLines(QStringList& lines, int processors) const
{
    lines.append(QString(44, u'_'));
    lines.append(QStringLiteral("SCENES"));
    // An empty line rather than a bare CR, as in the COMPUTERS section.
    lines.append(QString());
    for (const auto& scene : FItems)
        lines.append(scene->ReportText(processors).split(QStringLiteral("\r\n")));
}

qint64 TSceneList::TotalFrames() const
{
    qint64 total = 0;
    for (const auto& scene : FItems)
        total += scene->TotalFrames();
    return total;
}

qint64 TSceneList::FramesLeft() const
{
    qint64 left = 0;
    for (const auto& scene : FItems)
        left += scene->FramesLeft();
    return left;
}

int TSceneList::SelectedCount() const
{
    return static_cast<int>(
        std::count_if(FItems.begin(), FItems.end(), [](const auto& scene) { return scene->Selected; }));
}

TScene* TSceneList::SelectedScene(int n) const
{
    for (const auto& scene : FItems)
        if (scene->Selected && n-- == 0)
            return scene.get();
    return nullptr;
}
