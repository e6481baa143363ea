#pragma once
// One Master per commands directory: a lock file there names the Master that drives the nodes
// (computer, process) and carries a heartbeat it rewrites every few seconds. A lock's age is
// judged by the clock of the file system that holds it, against a file just written beside
// it, so the clocks of different computers never meet.

#include <QString>
#include <QStringList>

inline const QString MasterLockFileName = QStringLiteral("Master.lock");

// What a lock file says of its Master.
struct TMasterLockHolder
{
    QString Computer;
    QString Name; // the installation's ScreamerName
    qint64 Process = 0;
    QString Session; // one run of one Master; tells this lock from another of the same process
    qint64 Heartbeat = 0;

    QStringList ToLines() const;
    // Any lines; what does not convert stays empty or 0.
    static TMasterLockHolder FromLines(const QStringList& lines);
    // "render-01 on computer studio-3, process 4711"; an unreadable lock names nobody.
    QString Text() const;
};

// Why the commands directory cannot hold a Master, in the farm's words; empty when it can.
// Writing a file there is the only test of writing that holds on every kind of share.
QString CommandsDirectoryProblem(const QString& directory);

class TMasterLock
{
public:
    static constexpr int HeartbeatMilliseconds = 5000;
    // A lock whose heartbeat has stopped for this many periods belongs to a Master that is gone.
    static constexpr int StalePeriods = 3;

    enum class TResult
    {
        Taken, // the lock was free (or this run's own)
        TakenOver, // a stale lock was replaced: Holder() names its Master, Reason() why
        Held, // another Master's heartbeat is alive: Holder() names it
        Failed // the lock could not be written: Reason() says why
    };

    TMasterLock();
    // A held lock is given back.
    ~TMasterLock();
    TMasterLock(const TMasterLock&) = delete;
    TMasterLock& operator=(const TMasterLock&) = delete;

    // The lock of `directory` for this Master: its computer and its installation's name.
    TResult Take(const QString& directory, const QString& computer, const QString& name);
    // Rewrites the heartbeat. False when another Master has taken the lock meanwhile (Holder()
    // names it); a share that is away for a moment is no loss, the next beat tries again.
    bool Heartbeat();
    // Deletes the lock file when it is still this run's.
    void Release();

    bool Held() const { return FHeld; }
    QString Path() const { return FPath; }
    const TMasterLockHolder& Holder() const { return FHolder; }
    const QString& Reason() const { return FReason; }

private:
    bool CreateLock(QString& error);
    bool ReadLock(TMasterLockHolder& holder) const;
    // True when the lock `holder` names belongs to a Master that is gone; FReason says why.
    bool IsStale(const TMasterLockHolder& holder);
    // Takes the stale lock away under a private name, so that of two Masters taking it over at
    // once only one removes it. False when what was taken proved another (then it goes back).
    bool RemoveStale(const TMasterLockHolder& stale);

    TMasterLockHolder FOwn;
    TMasterLockHolder FHolder;
    QString FPath;
    QString FReason;
    bool FHeld = false;
};
