#pragma once
// The TCP/IP link between the Master and its Remotes: the Master's server with one connection
// per Remote, and a Remote's one connection to the Master. Both cut what arrives into commands
// (TMessageAssembler), hand them on one at a time in the order they came, and tell what
// happens as status texts.

#include "remote/command_file.h"
#include "remote/message_assembler.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

class QTcpServer;
class QTcpSocket;

inline constexpr quint16 DefaultLinkPort = 1234;
// A peer that leaves this much unread is not reading any more: it is closed, not buffered for.
inline constexpr qint64 LinkWriteLimit = qint64(64) * 1024 * 1024;
// Connections past this many are refused, so no flood of them exhausts the Master.
inline constexpr int LinkPeerLimit = 256;

// "host", "host:port" or "[v6 address]:port"; false for an empty host or a port that is no
// number from 1 to 65535.
bool SplitHostPort(const QString& text, QString& host, quint16& port);
// A clock for the link's own timing (silence, refusals, how often lists go out): it never jumps.
qint64 LinkMilliseconds();
// An address as people read it: IPv4 peers of a server listening on every address show as IPv4.
QString AddressText(const QHostAddress& address);
// A loopback port nobody listens on now, for a Master that a test, a benchmark or the demo
// starts; 0 when none could be had.
quint16 FreePort();

// One connection with the bytes of its next message.
class TLinkPeer : public QObject
{
    Q_OBJECT
public:
    TLinkPeer(QTcpSocket* socket, QObject* parent);
    QTcpSocket* Socket;
    // The name the peer gives itself in its commands (its ScreamerName), its address until then.
    QString Host;
    TMessageAssembler Assembler;
};

// What both ends share: reading, handing on in order, writing with a bound.
class TLinkEnd : public QObject
{
    Q_OBJECT
public:
    // A command from a peer, named by its host. It may run an event loop (a message box), in
    // which more arrives (handed on after it) or the link itself is destroyed.
    std::function<void(const TCommand& command, const QString& host)> Received;
    std::function<void(const QString&)> Status;

protected:
    TLinkEnd();
    void Read(TLinkPeer* peer);
    // Writes the bytes whole; closes a peer that stopped reading. False when they did not go.
    bool Write(TLinkPeer& peer, const QByteArray& bytes);
    void SetStatus(const QString& text);

    // The status texts of each end.
    virtual QString ReceivedText(const QString& host, bool valid) const = 0;
    virtual QString SendErrorText(const QString& host) const = 0;
    virtual QString OverflowText(const QString& host) const = 0;
    virtual QList<TLinkPeer*> Peers() const = 0;

private:
    void HandOn();
    void ExpireSilent();
    struct TArrival
    {
        QString Host;
        TMessage Message;
    };
    std::deque<TArrival> FArrivals;
    bool FHandingOn = false;
    QTimer FExpiry;
};

// The Master's listening end.
class TServerLink final : public TLinkEnd
{
    Q_OBJECT
public:
    explicit TServerLink(quint16 port = DefaultLinkPort);
    ~TServerLink() override;
    // False, with the reason, when the port cannot be listened on.
    bool Listen(QString& error);
    quint16 Port() const { return FPort; }
    // Whether a computer may connect; everyone when unset.
    std::function<bool(const QHostAddress&)> Admit;
    // A connection that was closed at once: not admitted, or one too many.
    std::function<void(const QHostAddress&, const QString& why)> Refused;

    // To every connected Remote, in the order they connected.
    void Broadcast(const TCommand& command);
    // Host name, " - " and address of every live connection, in the order they connected.
    QStringList Connections() const;
    bool HasConnections() const { return !FPeers.isEmpty(); }

protected:
    QString ReceivedText(const QString& host, bool valid) const override;
    QString SendErrorText(const QString& host) const override;
    QString OverflowText(const QString& host) const override;
    QList<TLinkPeer*> Peers() const override { return FPeers; }

private:
    void Accept();
    void Drop(TLinkPeer* peer);
    QList<TLinkPeer*> FPeers;
    QTcpServer* FServer;
    quint16 FPort;
};

// A Remote's connection to the Master; while connected, the transport of its commands.
class TClientLink final : public TLinkEnd, public TCommandTransport
{
    Q_OBJECT
public:
    // `address` as the options give it: "host" or "host:port".
    explicit TClientLink(const QString& address);
    ~TClientLink() override;
    void Connect();
    QString Address() const { return FAddress; }
    bool Connected() const;
    bool Deliver(const QStringList& lines, QString& error) override;

    std::function<void()> ConnectedToMaster;
    // Disconnected or failed: the farm starts its reconnect cycle.
    std::function<void()> Lost;

protected:
    QString ReceivedText(const QString& host, bool valid) const override;
    QString SendErrorText(const QString& host) const override;
    QString OverflowText(const QString& host) const override;
    QList<TLinkPeer*> Peers() const override { return { FPeer }; }

private:
    void Failed(const QString& text);
    QString FAddress;
    TLinkPeer* FPeer;
};
