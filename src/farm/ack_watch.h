#pragma once
// The Master's ear on its commands directory. Where the file system tells of a change there (a
// node wrote its ack), the nodes' answers are taken in within milliseconds instead of at the
// next tick. Notices that come together make one pass, and passes are at least a period apart,
// so a thousand acks at once cost one pass. A share that sends no notices leaves the tick to
// do all the work, as before.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class TAckWatch : public QObject
{
public:
    // The shortest time from a notice to its pass, and between two passes.
    static constexpr int PeriodMilliseconds = 5;
    // The next look at an ack a node was still writing.
    static constexpr int RetryMilliseconds = 25;

    TAckWatch();

    // Watches `directory`, again when it went away and came back or another stands at its path;
    // called on every tick, it costs one look at the directory. False when it cannot be watched.
    bool Follow(const QString& directory);
    void Stop();
    bool Watching() const { return !FDirectory.isEmpty(); }

    // A pass soon: after the period, or after the retry time for an ack found half written.
    void PassSoon();
    void PassLater();
    bool PassPending() const { return FTimer.isActive(); }

    // The pass itself; the controller's.
    std::function<void()> Pass;

private:
    struct TIdentity
    {
        quint64 Device = 0;
        quint64 Node = 0;
        bool operator==(const TIdentity&) const = default;
    };
    static bool Identify(const QString& directory, TIdentity& identity);

    QFileSystemWatcher FWatcher;
    QTimer FTimer;
    QString FDirectory;
    TIdentity FIdentity;
};
