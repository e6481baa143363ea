#include "remote/message_assembler.h"

#include "support/record_text.h"
#include "support/text_file.h"

namespace {

constexpr qint64 SenderLines = 6;

const QByteArray& HeaderBytes()
{
    static const QByteArray header = CommandHeader.toUtf8();
    return header;
}

// Whether `bytes` could still grow into the header line.
bool MayBecomeHeader(QByteArrayView bytes)
{
    return bytes.size() <= HeaderBytes().size() && QByteArrayView(HeaderBytes()).startsWith(bytes);
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

void TMessageAssembler::Add(QByteArrayView bytes, qint64 nowMs, QList<TMessage>& messages)
{
    if (bytes.isEmpty())
        return;
    FLastBytesMs = nowMs;
    if (FSkipLineFeed && bytes.front() == '\n')
        bytes = bytes.sliced(1);
    FSkipLineFeed = false;
    FBuffer.append(bytes);
    TakeLines(messages);
    if (FStart > 0) {
        FBuffer.remove(0, FStart);
        FScanned -= FStart;
        FSearched -= FStart;
        FStart = 0;
    }
}

void TMessageAssembler::TakeLines(QList<TMessage>& messages)
{
    while (FScanned < FBuffer.size()) {
        const char* data = FBuffer.constData();
        // A long line arriving in many pieces is searched once, not once per piece.
        qsizetype end = std::max(FScanned, FSearched);
        while (end < FBuffer.size() && !IsLineEnd(data[end]))
            ++end;
        FSearched = end;
        if (end == FBuffer.size()) {
            // A first line that cannot become the header is garbage now, not after 64 MiB.
            if (FLines == 0 && !MayBecomeHeader(QByteArrayView(FBuffer).sliced(FStart)))
                DropToNextHeader(FStart, messages);
            else
                return;
            continue;
        }
        qsizetype next = end + 1;
        if (data[end] == '\r') {
            if (next < FBuffer.size()) {
                if (data[next] == '\n')
                    ++next;
            } else if (FLines == 0 && QByteArrayView(FBuffer).sliced(FScanned, end - FScanned) != HeaderBytes()) {
                // Blank or garbage: an LF that may follow changes nothing.
            } else if (FLines + 1 != FNeeded) {
                // Whether an LF follows decides where the next line starts.
                return;
            }
        }
        if (!TakeLine(end, next, messages))
            continue;
    }
}

// One complete line of the message at FStart; false when it ended the message or was invalid.
bool TMessageAssembler::TakeLine(qsizetype end, qsizetype next, QList<TMessage>& messages)
{
    const QByteArrayView line = QByteArrayView(FBuffer).sliced(FScanned, end - FScanned);
    if (FLines == 0 && line.isEmpty()) {
        // Blank lines between messages are no garbage.
        StartMessage(next);
        return false;
    }
    if (FLines == 0 && line != QByteArrayView(HeaderBytes())) {
        DropToNextHeader(FStart, messages);
        return false;
    }
    FInGarbage = false;
    if (FLines == 2) {
        qint64 count = -1;
        // Every argument line takes at least its line end: a larger count cannot fit the limit.
        if (!TextToInteger(QString::fromLatin1(line), count) || count < 0 || count > BufferLimit / 2) {
            DropToNextHeader(FStart + 1, messages);
            return false;
        }
        FNeeded = SenderLines + count;
    }
    ++FLines;
    FScanned = next;
    if (FLines != FNeeded)
        return true;
    Complete(next, messages);
    return false;
}

void TMessageAssembler::Complete(qsizetype next, QList<TMessage>& messages)
{
    const QByteArray bytes = FBuffer.sliced(FStart, next - FStart);
    TMessage message;
    message.Valid = message.Command.FromLines(SplitTextLines(DecodeText(bytes)));
    messages.append(std::move(message));
    FSkipLineFeed = next == FBuffer.size() && FBuffer.back() == '\r';
    StartMessage(next);
}

// Bytes from `from` on that are no message: dropped up to the next header, which may also
// follow garbage on the same line.
void TMessageAssembler::DropToNextHeader(qsizetype from, QList<TMessage>& messages)
{
    if (!FInGarbage)
        messages.append(TMessage());
    FInGarbage = true;
    const QByteArrayView buffer(FBuffer);
    const QByteArrayView header(HeaderBytes());
    for (qsizetype at = buffer.indexOf(header, from); at >= 0; at = buffer.indexOf(header, at + 1)) {
        const qsizetype after = at + header.size();
        if (after == buffer.size() || IsLineEnd(buffer[after])) {
            StartMessage(at);
            return;
        }
    }
    // A header may be arriving: keep the longest end of the bytes that begins one.
    for (qsizetype length = std::min(header.size() - 1, buffer.size() - from); length > 0; --length) {
        if (buffer.endsWith(header.first(length))) {
            StartMessage(buffer.size() - length);
            return;
        }
    }
    StartMessage(buffer.size());
}

void TMessageAssembler::StartMessage(qsizetype at)
{
    FStart = at;
    FScanned = at;
    FSearched = at;
    FLines = 0;
    FNeeded = -1;
}

bool TMessageAssembler::Expire(qint64 nowMs)
{
    if (Pending() == 0 || nowMs - FLastBytesMs < SilenceMilliseconds)
        return false;
    FBuffer.clear();
    StartMessage(0);
    FSkipLineFeed = false;
    FInGarbage = false;
    return true;
}

QByteArray MessageBytes(const TCommand& command)
{
    QStringList lines;
    command.ToLines(lines);
    return LinesBytes(lines);
}

QByteArray LinesBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}
