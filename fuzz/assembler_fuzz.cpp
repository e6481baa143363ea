// Any bytes on the link: fed whole and fed in pieces, the same commands come out, and nothing
// incomplete is held past the limit unnoticed.
#include "remote/message_assembler.h"
#include "fuzz_tools.h"

#include <cstdint>
#include <cstdlib>

namespace {

QStringList ValidCommands(const QList<TMessage>& messages)
{
    QStringList commands;
    for (const TMessage& message : messages) {
        if (!message.Valid)
            continue;
        QStringList lines;
        message.Command.ToLines(lines);
        commands << lines.join(u'\n');
    }
    return commands;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    TMessageAssembler whole;
    QList<TMessage> wholeMessages;
    whole.Add(bytes, 0, wholeMessages);
    Check(whole.Pending() <= bytes.size());

    // Pieces whose sizes follow the bytes themselves, so every split gets tried.
    TMessageAssembler pieces;
    QList<TMessage> pieceMessages;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype length = std::min<qsizetype>(1 + static_cast<uchar>(bytes[at]) % 17, bytes.size() - at);
        pieces.Add(QByteArrayView(bytes).sliced(at, length), 0, pieceMessages);
        at += length;
    }
    Check(ValidCommands(wholeMessages) == ValidCommands(pieceMessages));
    Check(pieces.Pending() == whole.Pending());
    pieces.Expire(TMessageAssembler::SilenceMilliseconds);
    Check(pieces.Pending() == 0);
    return 0;
}
