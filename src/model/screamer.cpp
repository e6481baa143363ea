#include "model/screamer.h"

#include "support/record_text.h"

bool IsDead(const TScreamer& screamer)
{
    return screamer.Started && screamer.Process.ProcessId > 0 && !ProcessRunning(screamer.Process);
}

void Forget(TScreamer& screamer)
{
    screamer.Started = false;
    screamer.Process = TProcessInformation();
}

const TScreamer* TScreamerList::FindByNumber(int number) const
{
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
        if ((*it)->Number == number)
            return it->get();
    return nullptr;
}

bool TScreamerList::Sync(const QString& numbers)
{
    bool added = false;
    QString rest = numbers.trimmed();
    while (!rest.isEmpty()) {
        const int number = TakeNumber(rest);
        rest = rest.trimmed();
        if (FindByNumber(number))
            continue;
        auto screamer = std::make_unique<TScreamer>();
        screamer->Number = number;
        Add(std::move(screamer));
        added = true;
    }
    return added;
}
