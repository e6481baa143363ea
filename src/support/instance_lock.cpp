#include "support/instance_lock.h"

#include "support/paths.h"

#include <QDir>

TInstanceLock::TInstanceLock()
    : FLock(std::make_unique<QLockFile>(Path()))
{
    // The lock lives as long as the program: it never goes stale while its owner runs.
    FLock->setStaleLockTime(0);
}

bool TInstanceLock::TryLock() { return FLock->tryLock(0); }

QString TInstanceLock::Path() const { return JoinPath(QDir::tempPath(), QStringLiteral("Kestrion.lock")); }
