#pragma once
// One Kestrion per computer: a lock file named after the application in the temporary
// directory, held for the whole run. A dead instance's stale lock is taken over.

#include <QLockFile>
#include <QString>
#include <memory>

class TInstanceLock
{
public:
    TInstanceLock();
    // True when this run holds the lock; false while another Kestrion runs.
    bool TryLock();
    QString Path() const;

private:
    std::unique_ptr<QLockFile> FLock;
};
