#include "remote/tcp_link.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

constexpr qint64 ReadPiece = 1024 * 1024;
constexpr qsizetype HostNameLimit = 64;

} // namespace

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

qint64 LinkMilliseconds()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

bool SplitHostPort(const QString& text, QString& host, quint16& port)
{
    const QString trimmed = text.trimmed();
    QString portText;
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close < 0)
            return false;
        host = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return false;
        portText = rest.mid(1);
    } else if (trimmed.count(u':') == 1) {
        host = trimmed.section(u':', 0, 0);
        portText = trimmed.section(u':', 1);
    } else {
        host = trimmed; // a name, an IPv4 address or a bare IPv6 address
    }
    port = DefaultLinkPort;
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint number = portText.toUInt(&ok);
        if (!ok || number == 0 || number > 65535)
            return false;
        port = static_cast<quint16>(number);
    }
    return !host.isEmpty();
}

QString AddressText(const QHostAddress& address)
{
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(v4).toString() : address.toString();
}

TLinkPeer::TLinkPeer(QTcpSocket* socket, QObject* parent)
    : QObject(parent)
    , Socket(socket)
{
    socket->setParent(this);
}


TLinkEnd::TLinkEnd()
{
    FExpiry.setInterval(1000);
    connect(&FExpiry, &QTimer::timeout, this, &TLinkEnd::ExpireSilent);
    FExpiry.start();
}

void TLinkEnd::SetStatus(const QString& text)
{
    if (Status)
        Status(text);
}

void TLinkEnd::Read(TLinkPeer* peer)
{
    while (peer->Socket->bytesAvailable() > 0) {
        const QByteArray piece = peer->Socket->read(ReadPiece);
        if (piece.isEmpty())
            break;
        QList<TMessage> messages;
        peer->Assembler.Add(piece, LinkMilliseconds(), messages);
        for (TMessage& message : messages) {
            // A Remote names itself in every command: its name tells people more than its address.
            if (message.Valid && !message.Command.SenderName.trimmed().isEmpty())
                peer->Host = message.Command.SenderName.trimmed().left(HostNameLimit);
            FArrivals.push_back({ peer->Host, std::move(message) });
        }
        if (peer->Assembler.Overflowed()) {
            SetStatus(OverflowText(peer->Host));
            peer->Socket->abort();
            break;
        }
    }
    HandOn();
}

// One command at a time, in the order they came, whatever a command's execution lets happen.
void TLinkEnd::HandOn()
{
    if (FHandingOn)
        return;
    FHandingOn = true;
    const QPointer<TLinkEnd> alive(this);
    while (!FArrivals.empty()) {
        const TArrival arrival = std::move(FArrivals.front());
        FArrivals.pop_front();
        SetStatus(ReceivedText(arrival.Host, arrival.Message.Valid));
        if (arrival.Message.Valid && Received)
            Received(arrival.Message.Command, arrival.Host);
        if (!alive)
            return;
    }
    FHandingOn = false;
}

void TLinkEnd::ExpireSilent()
{
    for (TLinkPeer* peer : Peers()) {
        if (peer && peer->Assembler.Expire(LinkMilliseconds()))
            SetStatus(ReceivedText(peer->Host, false));
    }
}

bool TLinkEnd::Write(TLinkPeer& peer, const QByteArray& bytes)
{
    QTcpSocket& socket = *peer.Socket;
    if (socket.state() != QAbstractSocket::ConnectedState)
        return false;
    if (socket.bytesToWrite() + bytes.size() > LinkWriteLimit) {
        SetStatus(SendErrorText(peer.Host));
        socket.abort();
        return false;
    }
    if (socket.write(bytes) == bytes.size())
        return true;
    SetStatus(SendErrorText(peer.Host));
    return false;
}

TServerLink::TServerLink(quint16 port)
    : FServer(new QTcpServer(this))
    , FPort(port)
{
    connect(FServer, &QTcpServer::newConnection, this, &TServerLink::Accept);
    connect(FServer, &QTcpServer::acceptError, this,
        [this] { SetStatus(QStringLiteral("Error accepting from ") + FServer->errorString()); });
}

TServerLink::~TServerLink()
{
    // Closing sockets signals; nothing of a half-destroyed link may answer.
    FServer->disconnect();
    for (TLinkPeer* peer : QList<TLinkPeer*>(FPeers)) {
        peer->Socket->disconnect();
        peer->Socket->abort();
    }
}

bool TServerLink::Listen(QString& error)
{
    // Remotes dial again together after the Master restarted.
    FServer->setListenBacklogSize(LinkPeerLimit);
    if (FServer->listen(QHostAddress::Any, FPort)) {
        SetStatus(QStringLiteral("Listing to Kestrion Remotes"));
        return true;
    }
    error = FServer->errorString();
    return false;
}

void TServerLink::Accept()
{
    while (QTcpSocket* socket = FServer->nextPendingConnection()) {
        const QHostAddress address = socket->peerAddress();
        QString why;
        if (Admit && !Admit(address))
            why = QStringLiteral("not in the allowed addresses (MasterTCPIPAllow)");
        else if (FPeers.size() >= LinkPeerLimit)
            why = QStringLiteral("%1 Remotes are connected already").arg(LinkPeerLimit);
        if (!why.isEmpty()) {
            socket->abort();
            socket->deleteLater();
            SetStatus(QStringLiteral("Refused ") + AddressText(address));
            if (Refused)
                Refused(address, why);
            continue;
        }
        auto* peer = new TLinkPeer(socket, this);
        peer->Host = AddressText(address);
        FPeers.append(peer);
        SetStatus(QStringLiteral("Connected to: ") + peer->Host);
        connect(socket, &QTcpSocket::readyRead, peer, [this, peer] { Read(peer); });
        connect(socket, &QTcpSocket::disconnected, peer, [this, peer] {
            SetStatus(peer->Host + QStringLiteral(" disconnected"));
            Drop(peer);
        });
        connect(socket, &QTcpSocket::errorOccurred, peer, [this, peer](QAbstractSocket::SocketError error) {
            if (error == QAbstractSocket::RemoteHostClosedError)
                return; // its "disconnected" follows
            SetStatus((error == QAbstractSocket::NetworkError ? QStringLiteral("Error receiving data from ")
                                                              : QStringLiteral("General error with "))
                + peer->Host);
            if (peer->Socket->state() != QAbstractSocket::ConnectedState)
                Drop(peer);
        });
        SetStatus(peer->Host + QStringLiteral(" connected"));
    }
}

void TServerLink::Drop(TLinkPeer* peer)
{
    if (!FPeers.removeOne(peer))
        return;
    peer->Socket->disconnect();
    peer->deleteLater();
}

void TServerLink::Broadcast(const TCommand& command)
{
    const QByteArray bytes = MessageBytes(command);
    // Writing may close a peer that stopped reading, and so change the list.
    for (TLinkPeer* peer : QList<TLinkPeer*>(FPeers))
        Write(*peer, bytes);
}

QStringList TServerLink::Connections() const
{
    QStringList lines;
    for (const TLinkPeer* peer : FPeers)
        lines << peer->Host + QStringLiteral(" - ") + AddressText(peer->Socket->peerAddress());
    return lines;
}

QString TServerLink::ReceivedText(const QString& host, bool valid) const
{
    return (valid ? QStringLiteral("Received command of ") : QStringLiteral("Received invalid command of "))
        + host;
}

QString TServerLink::SendErrorText(const QString& host) const
{
    return QStringLiteral("Error sending data to ") + host;
}

QString TServerLink::OverflowText(const QString& host) const
{
    return QStringLiteral("Closed %1: too much data without a whole command").arg(host);
}

TClientLink::TClientLink(const QString& address)
    : FAddress(address)
    , FPeer(new TLinkPeer(new QTcpSocket, this))
{
    QTcpSocket* socket = FPeer->Socket;
    FPeer->Host = QStringLiteral("Master");
    connect(socket, &QTcpSocket::connected, this, [this] {
        SetStatus(QStringLiteral("Connected to: ") + FPeer->Socket->peerName());
        FPeer->Socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        if (ConnectedToMaster)
            ConnectedToMaster();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this] { Read(FPeer); });
    connect(socket, &QTcpSocket::disconnected, this, [this] { Failed(QStringLiteral("Disconnected from Master")); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        const bool connecting = FPeer->Socket->state() != QAbstractSocket::ConnectedState;
        if (error == QAbstractSocket::RemoteHostClosedError && !connecting)
            return; // its "disconnected" follows
        if (connecting)
            Failed(QStringLiteral("Error connecting to Master"));
        else
            Failed(error == QAbstractSocket::NetworkError ? QStringLiteral("Error receiving data from Master")
                                                          : QStringLiteral("General error with Master"));
    });
}

TClientLink::~TClientLink()
{
    FPeer->Socket->disconnect();
    FPeer->Socket->abort();
}

void TClientLink::Connect()
{
    QString host;
    quint16 port = DefaultLinkPort;
    if (!SplitHostPort(FAddress, host, port)) {
        Failed(QStringLiteral("Error connecting to Master"));
        return;
    }
    SetStatus(QStringLiteral("Connecting to Master"));
    FPeer->Socket->connectToHost(host, port);
}

bool TClientLink::Connected() const
{
    return FPeer->Socket->state() == QAbstractSocket::ConnectedState;
}

bool TClientLink::Deliver(const QStringList& lines, QString&)
{
    return Connected() && Write(*FPeer, LinesBytes(lines));
}

void TClientLink::Failed(const QString& text)
{
    SetStatus(text);
    if (Lost)
        Lost();
}

QString TClientLink::ReceivedText(const QString&, bool valid) const
{
    return valid ? QStringLiteral("Received command from Master") : QStringLiteral("Received invalid command from Master");
}

QString TClientLink::SendErrorText(const QString&) const
{
    return QStringLiteral("Error sending data to Master");
}

QString TClientLink::OverflowText(const QString&) const
{
    return QStringLiteral("Closed the link to the Master: too much data without a whole command");
}
