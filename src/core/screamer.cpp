#include "core/screamer.h"

const TScreamer* TScreamerList::FindByNumber(int number) const
{
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
        if ((*it)->Number == number)
            return it->get();
    return nullptr;
}
