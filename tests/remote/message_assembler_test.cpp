#include "remote/message_assembler.h"

#include <gtest/gtest.h>

namespace {

TCommand Sample(int code, const QStringList& arguments)
{
    TCommand command(code);
    command.SenderName = QStringLiteral("Render 7");
    command.SenderScreamers = QStringLiteral("3 4");
    command.SenderMemory = 2049;
    command.Arguments = arguments;
    return command;
}

// What a stream of pieces yields: "+" and the code for a valid message, "-" for an invalid one.
QStringList Feed(TMessageAssembler& assembler, const QList<QByteArray>& pieces, qint64 nowMs = 0)
{
    QStringList seen;
    for (const QByteArray& piece : pieces) {
        QList<TMessage> messages;
        assembler.Add(piece, nowMs, messages);
        for (const TMessage& message : messages)
            seen << (message.Valid ? QStringLiteral("+%1").arg(message.Command.Command) : QStringLiteral("-"));
    }
    return seen;
}

TEST(MessageAssembler, AMessageSplitAnywhereIsTakenOnceWhole)
{
    const TCommand sent = Sample(ScenesRemove, { QStringLiteral("12"), QStringLiteral("14") });
    const QByteArray bytes = MessageBytes(sent);
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        TMessageAssembler assembler;
        QList<TMessage> messages;
        assembler.Add(bytes.first(cut), 0, messages);
        assembler.Add(bytes.sliced(cut), 0, messages);
        ASSERT_EQ(messages.size(), 1) << "cut at " << cut;
        EXPECT_TRUE(messages[0].Valid);
        EXPECT_EQ(messages[0].Command.SenderName, sent.SenderName);
        EXPECT_EQ(messages[0].Command.Arguments, sent.Arguments);
        EXPECT_EQ(assembler.Pending(), 0);
    }
    TMessageAssembler bytewise;
    QList<QByteArray> single;
    for (char c : bytes)
        single << QByteArray(1, c);
    EXPECT_EQ(Feed(bytewise, single), QStringList({ "+2" }));
}

TEST(MessageAssembler, MessagesInOnePieceComeInOrder)
{
    TMessageAssembler assembler;
    const QByteArray bytes = MessageBytes(Sample(ProgramUpdate, {})) + MessageBytes(Sample(Lists, { "0", "0" }))
        + MessageBytes(Sample(ComputersStart, { "1 2" }));
    EXPECT_EQ(Feed(assembler, { bytes }), QStringList({ "+12", "+13", "+16" }));
    // Lines that end in LF or CR alone count the same.
    QByteArray unix = MessageBytes(Sample(ScenesReset, { "5" })).replace("\r\n", "\n");
    QByteArray mac = MessageBytes(Sample(ScenesReset, { "6" })).replace("\r\n", "\r");
    EXPECT_EQ(Feed(assembler, { unix + mac }), QStringList({ "+5", "+5" }));
    // A message ending on a CR at the end of a piece takes the LF that follows as its own.
    const QByteArray whole = MessageBytes(Sample(ScenesReset, { "7" }));
    EXPECT_EQ(Feed(assembler, { whole.chopped(1), "\n" + whole }), QStringList({ "+5", "+5" }));
}

TEST(MessageAssembler, GarbageIsOneInvalidMessageUpToTheNextHeader)
{
    TMessageAssembler assembler;
    const QByteArray command = MessageBytes(Sample(ProgramUpdate, {}));
    EXPECT_EQ(Feed(assembler, { "GET / HTTP/1.0\r\nHost: x\r\n\r\n" + command + "\x01\x02junk" + command }),
        QStringList({ "-", "+12", "-", "+12" }));
    // Garbage before the header on the header's own line.
    EXPECT_EQ(Feed(assembler, { "\x01\x02junk" + command }), QStringList({ "-", "+12" }));
    // Garbage in many pieces is still one invalid message.
    EXPECT_EQ(Feed(assembler, { "no", "t a command\r\n", "and more\r\n", command }), QStringList({ "-", "+12" }));
    // A first line that cannot become the header is dropped at once, without waiting for a line end.
    EXPECT_EQ(Feed(assembler, { QByteArray(100000, 'x') }), QStringList({ "-" }));
    EXPECT_EQ(assembler.Pending(), 0);
    // A header whose argument count is no number; the header case must be exact.
    EXPECT_EQ(Feed(assembler, { "Kestrion Command\r\nScenesRemove\r\nmany\r\n" + command }),
        QStringList({ "-", "+12" }));
    EXPECT_EQ(Feed(assembler, { "kestrion command\r\nScenesRemove\r\n0\r\n" + command }),
        QStringList({ "-", "+12" }));
    // Whole by its count but unparsable (memory is no number): invalid, and the stream goes on.
    EXPECT_EQ(Feed(assembler, { "Kestrion Command\r\nProgramUpdate\r\n0\r\nA\r\n1\r\nlots\r\n" + command }),
        QStringList({ "-", "+12" }));
}

TEST(MessageAssembler, SilenceDropsAnIncompleteMessage)
{
    TMessageAssembler assembler;
    const QByteArray command = MessageBytes(Sample(ScenesRemove, { "1" }));
    EXPECT_TRUE(Feed(assembler, { command.first(30) }, 1000).isEmpty());
    EXPECT_FALSE(assembler.Expire(5999));
    EXPECT_TRUE(assembler.Expire(6000));
    EXPECT_EQ(assembler.Pending(), 0);
    EXPECT_FALSE(assembler.Expire(20000));
    // The rest arriving late is garbage now; the next whole command counts.
    EXPECT_EQ(Feed(assembler, { command.sliced(30) + command }, 20000), QStringList({ "-", "+2" }));
}

TEST(MessageAssembler, IncompleteBytesPastTheLimitOverflow)
{
    TMessageAssembler assembler;
    QList<TMessage> messages;
    assembler.Add("Kestrion Command\r\nLists\r\n30000000\r\nM\r\n1\r\n1\r\n", 0, messages);
    const QByteArray line = QByteArray(1024 * 1024 - 2, 'a') + "\r\n";
    for (int i = 0; i < 63; ++i)
        assembler.Add(line, 0, messages);
    EXPECT_FALSE(assembler.Overflowed());
    assembler.Add(line, 0, messages);
    EXPECT_TRUE(assembler.Overflowed());
    EXPECT_TRUE(messages.isEmpty());
    // A count that could never fit is refused at once.
    assembler = TMessageAssembler();
    EXPECT_EQ(Feed(assembler, { "Kestrion Command\r\nLists\r\n99999999999\r\n" }), QStringList({ "-" }));
}

} // namespace
