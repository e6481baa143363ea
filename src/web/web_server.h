#pragma once
// The status page's HTTP server: Qt's HTTP server behind a listener of our own that lets in only
// the computers of the allow-list and no more than a few hundred at once, and closes connections
// that fall quiet and stream readers that fall behind, so no request, however it is sent, holds
// the farm's ticks or its memory. The event stream's readers are fed from one TWebStream, looked
// at only while somebody reads it.

#include "web/web_stream.h"

#include <QAbstractHttpServer>
#include <QHash>
#include <QHostAddress>
#include <QTimer>
#include <functional>

class QTcpSocket;
class TFarm;

class TWebServer : public QAbstractHttpServer
{
public:
    explicit TWebServer(const TFarm& farm);
    ~TWebServer() override;

    // False, with `error` saying why, when the port cannot be had.
    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 Port() const;

    // Asked for each connection before it is read; Refused hears of those turned away.
    std::function<bool(const QHostAddress&)> Admit;
    std::function<void(const QHostAddress&, const QString&)> Refused;

    int Connections() const { return static_cast<int>(FConnections.size()); }
    int Streams() const;

    static constexpr int ConnectionLimit = 256;
    // A connection with nothing read or written for this long is closed; streams are kept awake.
    static constexpr qint64 QuietMilliseconds = 20 * 1000;
    // A stream reader with this much not yet taken is too slow to follow the farm.
    static constexpr qint64 StreamBacklogLimit = 1024 * 1024;
    // Answers not yet taken by their readers, over all connections: beyond it a request is told
    // to come back, so slow readers of a long queue cannot fill the Master's memory.
    static constexpr qint64 BacklogLimit = 256 * 1024 * 1024;
    // Bounds what one connection may send before it is answered.
    static constexpr qint64 ReadBufferSize = 64 * 1024;
    static constexpr int StreamMilliseconds = 500;
    static constexpr qint64 KeepAliveMilliseconds = 10 * 1000;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    class TListener;
    struct TConnection
    {
        qint64 LastActive = 0;
        // Bytes read since the last request was answered.
        qint64 Unanswered = 0;
        bool Stream = false;
    };

    // Whether Qt's server may read the new connection.
    bool Accept(QTcpSocket* socket);
    void Read(QTcpSocket* socket);
    qint64 Backlog() const;
    void Forget(QTcpSocket* socket);
    void Sweep();
    void StartStream(QTcpSocket* socket);
    void SendChanges();
    void SendToStreams(const QByteArray& bytes);

    const TFarm& FFarm;
    TListener* FListener = nullptr;
    QHash<QTcpSocket*, TConnection> FConnections;
    TWebStream FStream;
    QTimer FSweepTimer;
    QTimer FStreamTimer;
    qint64 FLastSent = 0;
};
