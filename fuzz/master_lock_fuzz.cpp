// Any bytes as the Master lock of a commands directory: read as a holder that names itself
// again when written, and judged by a Master that would take the directory, never a crash.
#include "farm/master_lock.h"
#include "support/paths.h"
#include "support/text_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

bool SameHolder(const TMasterLockHolder& a, const TMasterLockHolder& b)
{
    return a.Computer == b.Computer && a.Name == b.Name && a.Process == b.Process && a.Session == b.Session
        && a.Heartbeat == b.Heartbeat;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const TMasterLockHolder holder = TMasterLockHolder::FromLines(SplitTextLines(DecodeText(bytes)));
    if (!SameHolder(TMasterLockHolder::FromLines(holder.ToLines()), holder))
        std::abort();
    holder.Text();

    QFile file(JoinPath(dir.path(), MasterLockFileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(bytes);
    file.close();
    TMasterLock lock;
    lock.Take(dir.path(), QStringLiteral("fuzz-computer"), QStringLiteral("Fuzz"));
    lock.Heartbeat();
    lock.Release();
    QFile::remove(file.fileName());
    return 0;
}
