#pragma once
// The render queue: scenes in queue order, sorted by priority, higher first.

#include "model/scene.h"

#include <QRandomGenerator>
#include <memory>
#include <vector>

// No queue holds this many scenes; a list file that names more is damaged, and reading stops
// here so it cannot take all memory.
inline constexpr int SceneListLimit = 100000;

class TComputer;

class TSceneList
{
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TScene& Item(int index) { return *FItems[static_cast<size_t>(index)]; }
    const TScene& Item(int index) const { return *FItems[static_cast<size_t>(index)]; }

    // Appends the scene, with a fresh ID when `assignID`, and re-sorts.
    TScene& Add(std::unique_ptr<TScene> scene, bool assignID);
    // Appends without sorting; the caller renumbers once when done.
    TScene& Append(std::unique_ptr<TScene> scene);
    // A number from 1 to 9999 (or above when all are taken) that no scene holds.
    int NewID();
    // New IDs follow from the seed, so a test knows them.
    void SeedIDs(quint32 seed) { FIDs.seed(seed); }
    // The last index whose scene has this ID, -1 when none.
    int IndexOfID(int id) const;
    TScene* FindByID(int id) const;
    // Stores each position in Order, then sorts by priority, ties by that order.
    void Renumber();
    void Move(int from, int to);

    // Takes a scene out of the Master's queue for good: deletes its private copy unless
    // another scene of the queue uses the same file.
    void Remove(int index);
    // Deletes the scene's private copy when it is a ".lns" file no other scene names.
    void DeleteSceneCopy(const TScene& scene) const;
    // Frees every scene object; no file is touched.
    void Clear() { FItems.clear(); }
    // Takes the other list's scenes in place of its own (a Remote's copy of the Master's queue).
    void ReplaceWith(TSceneList& other) { FItems = std::move(other.FItems); }

    // The scene a node's piece came from: by ID, or, when the ID names none (the computer file
    // keeps no ID, so after a restart), the last scene of the node's scene file.
    TScene* SceneOfNode(const TComputer& node) const;
    // Puts the piece a crashed node held back into its scene's missing list.
    void AddCrashedFrames(const TComputer& node);

    int CountUnfinished() const;
    bool AllFinished() const;
    qint64 TotalFrames() const;
    qint64 FramesLeft() const;
    int SelectedCount() const;
    // The SCENES section of the e-mail report; `processors` feeds each scene's estimate.
    void ReportLines(QStringList& lines, int processors) const;
    // The n-th marked scene, from 0; none past the last.
    TScene* SelectedScene(int n) const;

private:
    std::vector<std::unique_ptr<TScene>> FItems;
    QRandomGenerator FIDs { QRandomGenerator::global()->generate() };
};
