#pragma once
// The command file "Remote.Msg" in the commands directory: Remotes put a command there, the
// Master takes it on its next tick.

#include "remote/command.h"

#include <QString>
#include <QStringList>
#include <deque>

class TOptions;

inline const QString RemoteCommandFileName = QStringLiteral("Remote.Msg");
// A command file bigger than this is no command of ours; it is deleted unread.
inline constexpr qint64 RemoteCommandFileLimit = 1024 * 1024;
// Commands waiting this deep mean the directory has been unwritable for a long time.
inline constexpr int CommandOutboxLimit = 1000;

QString RemoteCommandFile(const TOptions& options);

// Where a Remote's commands go: the command file, or the TCP/IP link to the Master.
class TCommandTransport
{
public:
    virtual ~TCommandTransport() = default;
    // Hands one command's lines on; false when they cannot go now (they keep waiting), with the
    // reason in `error` when something failed.
    virtual bool Deliver(const QStringList& lines, QString& error) = 0;
};

// "Remote.Msg": taken only when no other command waits there.
class TFileTransport final : public TCommandTransport
{
public:
    explicit TFileTransport(const TOptions& options)
        : FOptions(options)
    { }
    bool Deliver(const QStringList& lines, QString& error) override;

private:
    const TOptions& FOptions;
};

// The Remote's waiting commands. There is one command file for all Remotes, so a command is
// only written when no other waits there, and the file appears whole under its name in one
// step that never replaces another Remote's file. Nothing is lost while the Master is slow or
// the directory is away; only past CommandOutboxLimit waiting commands the oldest is dropped,
// with a note in LastError.
class TCommandOutbox
{
public:
    void Send(const TCommand& command);
    // Hands waiting commands, oldest first, to the transport for as long as it takes them; true
    // when it took any. The command file takes one at a time: call it on every tick. A failure
    // keeps the command waiting and leaves the reason in LastError.
    bool Flush(TCommandTransport& transport);
    bool Flush(const TOptions& options)
    {
        TFileTransport file(options);
        return Flush(file);
    }
    int Pending() const { return static_cast<int>(FQueue.size()); }

    QString LastError;

private:
    std::deque<QStringList> FQueue;
};

// Queues the command and tries to write it at once; true when it was written now, false when
// it waits in the outbox. Over TCP/IP it only waits: the link takes it.
bool SendCommand(TCommandOutbox& outbox, const TCommand& command, const TOptions& options);

// Master side: takes the command file, if there is one, so no Remote's later file can be
// mixed with it; deletes it and parses it. False for no file, a file that vanished, one that
// is too big or not a plain file, and one that does not parse.
bool ReadRemoteCommandFile(const TOptions& options, TCommand& command);
