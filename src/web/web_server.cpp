#include "web/web_server.h"

#include "remote/tcp_link.h"
#include "web/web_api.h"

#include <QHttpServerRequest>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

QByteArray ReasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    }
    return "Error";
}

QByteArray MethodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    default:
        break;
    }
    return "OTHER";
}

void WriteAnswer(QTcpSocket* socket, const TWebAnswer& answer, bool withBody)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.Status) + ' ' + ReasonPhrase(answer.Status)
        + "\r\nContent-Type: " + answer.ContentType + "\r\nContent-Length: " + QByteArray::number(answer.Body.size())
        + "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    if (answer.Status == 405)
        head += "Allow: GET, HEAD\r\n";
    if (answer.ContentType.startsWith("text/html"))
        head += "Content-Security-Policy: default-src 'self'; style-src 'self' 'unsafe-inline'; "
                "img-src 'self' data:\r\n";
    socket->write(head + "\r\n");
    if (withBody)
        socket->write(answer.Body);
}

} // namespace

// Turns connections away before Qt's server reads a byte of them.
class TWebServer::TListener : public QTcpServer
{
public:
    explicit TListener(TWebServer& server)
        : QTcpServer(&server)
        , FServer(server)
    { }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (FServer.Accept(socket))
            addPendingConnection(socket);
    }

private:
    TWebServer& FServer;
};

// The page's files live in a static library, whose resources are registered by hand.
void RegisterPageFiles()
{
    Q_INIT_RESOURCE(web);
}

TWebServer::TWebServer(const TFarm& farm)
    : FFarm(farm)
    , FStream(farm)
{
    RegisterPageFiles();
    // Qt's server warns on standard error of every request asking for a WebSocket, which anyone
    // could send by the thousand; we answer those like any other request.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.httpserver.warning=false"));
    FSweepTimer.setInterval(1000);
    connect(&FSweepTimer, &QTimer::timeout, this, [this] { Sweep(); });
    FStreamTimer.setInterval(StreamMilliseconds);
    connect(&FStreamTimer, &QTimer::timeout, this, [this] { SendChanges(); });
}

TWebServer::~TWebServer()
{
    // The sockets belong to the listener, which Qt's server deletes after us: they must not
    // tell us of their end any more.
    for (auto connection = FConnections.cbegin(); connection != FConnections.cend(); ++connection)
        connection.key()->disconnect(this);
}

bool TWebServer::Listen(const QHostAddress& address, quint16 port, QString& error)
{
    auto* listener = new TListener(*this);
    // A crowd arriving at once waits in the kernel's queue for its answer, rather than being
    // let in seconds later by retries.
    listener->setListenBacklogSize(ConnectionLimit * 4);
    if (!listener->listen(address, port)) {
        error = listener->errorString();
        delete listener;
        return false;
    }
    FListener = listener;
    bind(listener);
    FSweepTimer.start();
    return true;
}

quint16 TWebServer::Port() const
{
    return FListener ? FListener->serverPort() : 0;
}

int TWebServer::Streams() const
{
    int count = 0;
    for (const TConnection& connection : FConnections)
        count += connection.Stream ? 1 : 0;
    return count;
}

bool TWebServer::Accept(QTcpSocket* socket)
{
    const QHostAddress peer = socket->peerAddress();
    if (Admit && !Admit(peer)) {
        if (Refused)
            Refused(peer, QStringLiteral("not in the allowed addresses (MasterTCPIPAllow)"));
        socket->abort();
        socket->deleteLater();
        return false;
    }
    if (FConnections.size() >= ConnectionLimit) {
        WriteAnswer(socket, { 503, "text/plain; charset=utf-8", "Too many connections; try again soon.\n" }, true);
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(1000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        return false;
    }
    socket->setReadBufferSize(ReadBufferSize);
    FConnections.insert(socket, TConnection { LinkMilliseconds(), false });
    // Connected before Qt's server connects its own, so these are heard first.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
        const auto connection = FConnections.find(socket);
        if (connection != FConnections.end())
            connection->LastActive = LinkMilliseconds();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Forget(socket); });
    // Should Qt's server ever delete a socket without its end being told, none is left dangling.
    connect(socket, &QObject::destroyed, this, [this, socket] { FConnections.remove(socket); });
    return true;
}

// Qt's server keeps a request's bytes until it is whole; a request that fills the read buffer
// would wait for ever, so it is answered here and the connection closed.
void TWebServer::Read(QTcpSocket* socket)
{
    const auto connection = FConnections.find(socket);
    if (connection == FConnections.end())
        return;
    connection->LastActive = LinkMilliseconds();
    connection->Unanswered += socket->bytesAvailable();
    if (connection->Unanswered < ReadBufferSize || connection->Stream)
        return;
    WriteAnswer(socket,
        { 431, "text/plain; charset=utf-8", "The request is too large: the status page reads only short ones.\n" },
        true);
    socket->disconnectFromHost();
}

void TWebServer::Forget(QTcpSocket* socket)
{
    if (!FConnections.remove(socket))
        return;
    socket->deleteLater();
    if (Streams() == 0)
        FStreamTimer.stop();
}

void TWebServer::Sweep()
{
    const qint64 now = LinkMilliseconds();
    QList<QTcpSocket*> doomed;
    for (auto connection = FConnections.cbegin(); connection != FConnections.cend(); ++connection) {
        QTcpSocket* socket = connection.key();
        const bool quiet = now - connection->LastActive > QuietMilliseconds;
        // One closing still writes its answer out; only quiet takes it.
        if (socket->state() == QAbstractSocket::UnconnectedState || quiet)
            doomed.append(socket);
    }
    for (QTcpSocket* socket : doomed) {
        socket->abort();
        Forget(socket);
    }
}

bool TWebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const QUrl url = request.url();
    QByteArray target = url.path(QUrl::FullyEncoded).toUtf8();
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toUtf8();
    const QByteArray method = MethodName(request.method());
    if (const auto connection = FConnections.find(socket); connection != FConnections.end()) {
        // A stream's reader has nothing more to ask; an answer would break the stream.
        if (connection->Stream)
            return true;
        connection->Unanswered = 0;
    }
    if (method == "GET" && WebPath(target) == WebStreamPath) {
        StartStream(socket);
        return true;
    }
    TWebAnswer answer = AnswerWebRequest(FFarm, method, target);
    if (Backlog() + answer.Body.size() > BacklogLimit)
        answer = { 503, "text/plain; charset=utf-8", "The status page is busy with slow readers; try again soon.\n" };
    WriteAnswer(socket, answer, method != "HEAD");
    if (request.value("Connection").toLower() == "close")
        socket->disconnectFromHost();
    return true;
}

qint64 TWebServer::Backlog() const
{
    qint64 bytes = 0;
    for (auto connection = FConnections.cbegin(); connection != FConnections.cend(); ++connection)
        bytes += connection.key()->bytesToWrite();
    return bytes;
}

void TWebServer::missingHandler(const QHttpServerRequest&, QTcpSocket* socket)
{
    WriteAnswer(socket, AnswerWebRequest(FFarm, "GET", "/nothing"), true);
}

void TWebServer::StartStream(QTcpSocket* socket)
{
    const auto connection = FConnections.find(socket);
    if (connection == FConnections.end())
        return;
    // Those already listening hear what changed before the newcomer's picture is taken from it.
    SendChanges();
    connection->Stream = true;
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\n"
                  "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n"
                  "X-Accel-Buffering: no\r\n\r\n"
                  "retry: 2000\n\n");
    socket->write(FStream.Snapshot());
    FStreamTimer.start();
}

void TWebServer::SendChanges()
{
    QByteArray bytes = FStream.Changes();
    const qint64 now = LinkMilliseconds();
    if (bytes.isEmpty() && now - FLastSent < KeepAliveMilliseconds)
        return;
    if (bytes.isEmpty())
        bytes = TWebStream::KeepAlive();
    FLastSent = now;
    SendToStreams(bytes);
}

void TWebServer::SendToStreams(const QByteArray& bytes)
{
    QList<QTcpSocket*> behind;
    for (auto connection = FConnections.cbegin(); connection != FConnections.cend(); ++connection) {
        if (!connection->Stream)
            continue;
        QTcpSocket* socket = connection.key();
        if (socket->bytesToWrite() > StreamBacklogLimit)
            behind.append(socket);
        else
            socket->write(bytes);
    }
    // Closed, the page's EventSource comes back and starts from a whole picture.
    for (QTcpSocket* socket : behind) {
        socket->abort();
        Forget(socket);
    }
}
