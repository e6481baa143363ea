// Any bytes as "StateOverview.lst": never more records than lines, and what is saved loads back
// the same.
#include "remote/overview.h"
#include "fuzz_tools.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

bool Same(const TComputerOverview& a, const TComputerOverview& b)
{
    if (a.ItemCount() != b.ItemCount() || a.GroupCount() != b.GroupCount())
        return false;
    for (int i = 0; i < a.ItemCount(); ++i) {
        if (a.Item(i).Name != b.Item(i).Name || a.Item(i).Memory != b.Item(i).Memory
            || a.Item(i).Processors != b.Item(i).Processors)
            return false;
    }
    for (int i = 0; i < a.GroupCount(); ++i) {
        if (a.Group(i).Name != b.Group(i).Name || a.Group(i).Screamers != b.Group(i).Screamers)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("StateOverview.lst"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    TComputerOverview overview;
    if (overview.Load(path) != TComputerOverview::TLoadResult::Loaded)
        return 0;
    Check(overview.ItemCount() + overview.GroupCount() <= qint64(size));
    Check(overview.ItemCount() <= OverviewItemLimit && overview.GroupCount() <= OverviewGroupLimit);
    // Writing many records costs far more than reading them; the round trip needs only a few.
    if (overview.ItemCount() + overview.GroupCount() > 64)
        return 0;
    Check(overview.Save(path));
    TComputerOverview reread;
    Check(reread.Load(path) != TComputerOverview::TLoadResult::Outdated);
    Check(Same(reread, overview) || overview.ItemCount() + overview.GroupCount() == 0);
    return 0;
}
