#pragma once
// The render nodes that this installation may start on its own computer.

#include "support/processes.h"

#include <QString>
#include <memory>
#include <vector>

// One local node: its number and the process started for it.
struct TScreamer
{
    int Number = 0;
    TProcessInformation Process;
    // A start was attempted since the program began.
    bool Started = false;
};

// Started here, and its process has ended. An entry whose start failed has no process to
// watch and is never dead.
bool IsDead(const TScreamer& screamer);
void Forget(TScreamer& screamer);

class TScreamerList
{
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TScreamer& Item(int index) { return *FItems[static_cast<size_t>(index)]; }
    const TScreamer& Item(int index) const { return *FItems[static_cast<size_t>(index)]; }
    void Add(std::unique_ptr<TScreamer> screamer) { FItems.push_back(std::move(screamer)); }
    // The last entry with that number (numbers may repeat), or none.
    const TScreamer* FindByNumber(int number) const;
    // Adds an entry for each number of the list text that has none yet; true when any was added.
    // Entries stay for the whole run, even when the numbers leave the options.
    bool Sync(const QString& numbers);

private:
    std::vector<std::unique_ptr<TScreamer>> FItems;
};
