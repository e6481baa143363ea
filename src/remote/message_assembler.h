#pragma once
// Cuts the TCP/IP link's byte stream into commands. A message is one command's lines, each
// ending in CR LF, and its argument count on line 2 says where it ends: so a message may come
// in any number of pieces, and several may come in one.

#include "remote/command.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

struct TMessage
{
    // False for bytes that were no command: a wrong header, a count that is no number, a
    // message that does not parse or was cut off.
    bool Valid = false;
    TCommand Command;
};

class TMessageAssembler
{
public:
    // A peer holding more incomplete bytes than this is closed.
    static constexpr qsizetype BufferLimit = qsizetype(64) * 1024 * 1024;
    // An incomplete message that gets no more bytes for this long is dropped.
    static constexpr qint64 SilenceMilliseconds = 5000;

    // Takes bytes that arrived at `nowMs`; appends the messages they complete to `messages`, in
    // order. Bytes before a header line, up to the next one, give a single invalid message.
    void Add(QByteArrayView bytes, qint64 nowMs, QList<TMessage>& messages);
    // Drops an incomplete message that got nothing for SilenceMilliseconds; true when it did.
    bool Expire(qint64 nowMs);
    // Bytes waiting for the rest of their message.
    qsizetype Pending() const { return FBuffer.size() - FStart; }
    bool Overflowed() const { return Pending() > BufferLimit; }

private:
    void TakeLines(QList<TMessage>& messages);
    bool TakeLine(qsizetype end, qsizetype next, QList<TMessage>& messages);
    void Complete(qsizetype next, QList<TMessage>& messages);
    void DropToNextHeader(qsizetype from, QList<TMessage>& messages);
    void StartMessage(qsizetype at);

    QByteArray FBuffer;
    qsizetype FStart = 0; // where the message being assembled begins
    qsizetype FScanned = 0; // the end of its lines found so far
    qsizetype FSearched = 0; // no line end between FScanned and here
    qint64 FLines = 0;
    qint64 FNeeded = -1; // its lines in all, once line 2 was read
    qint64 FLastBytesMs = 0;
    // A message that ended on a CR at the end of the bytes: an LF arriving next is its line end.
    bool FSkipLineFeed = false;
    // Inside bytes already reported invalid, until the next header line.
    bool FInGarbage = false;
};

// A command as it travels on the link: its lines, each ending in CR LF, in UTF-8.
QByteArray MessageBytes(const TCommand& command);
QByteArray LinesBytes(const QStringList& lines);
