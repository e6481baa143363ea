#include "remote/command.h"
#include "remote/command_file.h"

#include "options/options.h"
#include "support/paths.h"
#include "support/text_file.h"

#include "test_files.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace {

QStringList Lines(const char* text)
{
    return SplitTextLines(QString::fromUtf8(text));
}

TEST(RemoteCommand, FromLinesChecksTheHeader)
{
    TCommand command;
    EXPECT_FALSE(command.FromLines(Lines("Kestrion Command\nScenesRemove\n0\nA\n1\n")));

    EXPECT_FALSE(command.FromLines(Lines("kestrion command\nScenesRemove\n1\nA\n1\n5\n7\n")));
    EXPECT_TRUE(command.Arguments.isEmpty());

    // The arguments are taken even when their count is wrong.
    EXPECT_FALSE(command.FromLines(Lines("Kestrion Command\nScenesRemove\n3\nA\n1\n5\n7\n8\n9\n10\n")));
    EXPECT_EQ(command.Arguments, Lines("7\n8\n9\n10"));
    EXPECT_FALSE(command.FromLines(Lines("Kestrion Command\nProgramUpdate\nnone\nA\n1\n5\n")));

    EXPECT_FALSE(command.FromLines(Lines("Kestrion Command\nScenesRemove\n1\nA\n1\n5MB\n7\n")));

    TCommand unknown;
    EXPECT_TRUE(unknown.FromLines(Lines("Kestrion Command\nScenesRemoveAll\n2\nA\n1 2\n512\nx\ny\n")));
    EXPECT_EQ(unknown.Command, NoCommand);
    EXPECT_EQ(unknown.SenderName, QStringLiteral("A"));
    EXPECT_EQ(unknown.SenderScreamers, QStringLiteral("1 2"));
    EXPECT_EQ(unknown.SenderMemory, 512);
    EXPECT_EQ(unknown.Arguments, Lines("x\ny"));
}

TEST(RemoteCommand, LinesRoundTrip)
{
    TOptions options;
    options.ScreamerName = QStringLiteral("Studio 4");
    options.ScreamerNumbers = QStringLiteral("3 4");
    options.MemorySize = 8193;
    TCommand command = MakeCommand(ScenesEdit, options);
    command.Arguments = { QStringLiteral("1"), QString(), QStringLiteral("two\r\nlines") };

    QStringList lines { QStringLiteral("kept") };
    command.ToLines(lines);
    EXPECT_EQ(lines, Lines("kept\nKestrion Command\nScenesEdit\n3\nStudio 4\n3 4\n8193\n1\n\ntwo  lines"));

    TCommand parsed;
    ASSERT_TRUE(parsed.FromLines(lines.mid(1)));
    QStringList again;
    parsed.ToLines(again);
    EXPECT_EQ(again, lines.mid(1));

    // An unknown code is written with an empty name and read back as no command.
    lines.clear();
    TCommand(42).ToLines(lines);
    EXPECT_EQ(lines.value(1), QString());
    ASSERT_TRUE(parsed.FromLines(lines));
    EXPECT_EQ(parsed.Command, NoCommand);
}

class RemoteCommandFiles : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        options.ScreamerDirectory = dir.path();
        options.ScreamerName = QStringLiteral("Remote");
    }

    TCommand Message(const QString& text) const
    {
        TCommand command = MakeCommand(EventMessage, options);
        command.Arguments = { text };
        return command;
    }

    QString Received()
    {
        TCommand command;
        return ReadRemoteCommandFile(options, command) ? command.Arguments.value(0)
                                                       : QStringLiteral("<none>");
    }

    QStringList Entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    TOptions options;
};

TEST_F(RemoteCommandFiles, OutboxWaitsForTheFileAndKeepsOrder)
{
    TCommandOutbox outbox;
    EXPECT_TRUE(SendCommand(outbox, Message(QStringLiteral("first")), options));
    EXPECT_EQ(ReadBytes(RemoteCommandFile(options)).left(18), QByteArray("Kestrion Command\r\n"));
    // Not yet taken: neither this Remote nor another replaces it.
    EXPECT_FALSE(SendCommand(outbox, Message(QStringLiteral("second")), options));
    TCommandOutbox other;
    EXPECT_FALSE(SendCommand(other, Message(QStringLiteral("other")), options));
    EXPECT_EQ(outbox.Pending(), 1);
    EXPECT_EQ(Entries(), QStringList { RemoteCommandFileName });

    EXPECT_EQ(Received(), QStringLiteral("first"));
    EXPECT_EQ(Entries(), QStringList());
    EXPECT_EQ(Received(), QStringLiteral("<none>"));
    EXPECT_TRUE(outbox.Flush(options));
    EXPECT_FALSE(outbox.Flush(options));
    EXPECT_EQ(Received(), QStringLiteral("second"));
    EXPECT_TRUE(other.Flush(options));
    EXPECT_EQ(Received(), QStringLiteral("other"));
    EXPECT_FALSE(outbox.Flush(options));

    options.RemoteSendTCPIP = true;
    EXPECT_FALSE(SendCommand(outbox, Message(QStringLiteral("tcp")), options));
    // Over TCP/IP it waits for the link.
    EXPECT_EQ(outbox.Pending(), 1);
}

TEST_F(RemoteCommandFiles, OutboxKeepsCommandsWhileTheDirectoryIsAway)
{
    TCommandOutbox outbox;
    options.ScreamerDirectory = dir.filePath(QStringLiteral("gone"));
    for (int i = 0; i < CommandOutboxLimit; ++i)
        EXPECT_FALSE(SendCommand(outbox, Message(QString::number(i)), options));
    EXPECT_FALSE(outbox.LastError.isEmpty());
    outbox.Send(Message(QStringLiteral("last")));
    EXPECT_EQ(outbox.Pending(), CommandOutboxLimit);
    EXPECT_TRUE(outbox.LastError.contains(QStringLiteral("dropped EventMessage")));

    ASSERT_TRUE(QDir().mkpath(options.ScreamerDirectory));
    EXPECT_TRUE(outbox.Flush(options));
    EXPECT_EQ(Received(), QStringLiteral("1"));
}

TEST_F(RemoteCommandFiles, MasterTakesAndDeletesAnyFile)
{
    const QString path = RemoteCommandFile(options);
    EXPECT_EQ(path, dir.filePath(QStringLiteral("Remote.Msg")));

    WriteBytes(path, "Kestrion Command\r\nComputersRescan\r\n0\r\nA\r\n1\r\n");
    EXPECT_EQ(Received(), QStringLiteral("<none>"));
    EXPECT_EQ(Entries(), QStringList());

    WriteBytes(
        path, "Kestrion Command\nEventMessage\n1\nA\n1\n5\n" + QByteArray(RemoteCommandFileLimit, 'x'));
    EXPECT_EQ(Received(), QStringLiteral("<none>"));
    EXPECT_EQ(Entries(), QStringList());

    // A pipe under the name would block a reader for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(Received(), QStringLiteral("<none>"));
    EXPECT_EQ(Entries(), QStringList());

    ASSERT_TRUE(QDir(dir.path()).mkdir(RemoteCommandFileName));
    EXPECT_EQ(Received(), QStringLiteral("<none>"));
    EXPECT_EQ(Entries(), QStringList { RemoteCommandFileName });
}

// The other Remote of the test below: sends the commands the environment asks for.
TEST(RemoteCommandSender, DISABLED_Child)
{
    TOptions options;
    options.ScreamerDirectory = qEnvironmentVariable("KESTRION_SENDER_DIRECTORY");
    options.ScreamerName = qEnvironmentVariable("KESTRION_SENDER_NAME");
    const int count = qEnvironmentVariableIntValue("KESTRION_SENDER_COUNT");
    ASSERT_FALSE(options.ScreamerDirectory.isEmpty());
    TCommandOutbox outbox;
    for (int i = 0; i < count; ++i) {
        TCommand command = MakeCommand(ScenesRemove, options);
        command.Arguments.append(QString::number(i));
        for (int k = 0; k < 200; ++k)
            command.Arguments.append(
                QStringLiteral("%1 line %2 of a long command").arg(options.ScreamerName).arg(k));
        outbox.Send(command);
    }
    QDeadlineTimer deadline(60000);
    while (outbox.Pending() > 0 && !deadline.hasExpired()) {
        if (!outbox.Flush(options))
            QThread::usleep(500);
    }
    EXPECT_EQ(outbox.Pending(), 0) << outbox.LastError.toStdString();
}

TEST_F(RemoteCommandFiles, TwoRemotesSendingAtOnceLoseNothing)
{
    const int count = 100;
    std::vector<std::unique_ptr<QProcess>> remotes;
    for (const QString& name : { QStringLiteral("Left"), QStringLiteral("Right") }) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KESTRION_SENDER_DIRECTORY"), dir.path());
        environment.insert(QStringLiteral("KESTRION_SENDER_NAME"), name);
        environment.insert(QStringLiteral("KESTRION_SENDER_COUNT"), QString::number(count));
        process->setProcessEnvironment(environment);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("--gtest_filter=RemoteCommandSender.DISABLED_Child"),
                QStringLiteral("--gtest_also_run_disabled_tests") });
        ASSERT_TRUE(process->waitForStarted());
        remotes.push_back(std::move(process));
    }

    std::map<QString, int> next;
    int received = 0;
    QDeadlineTimer deadline(60000);
    const auto sending = [&] {
        return std::any_of(remotes.begin(), remotes.end(), [](const auto& process) {
            return process->state() != QProcess::NotRunning;
        }) || NameTaken(RemoteCommandFile(options));
    };
    while (received < 2 * count && !deadline.hasExpired() && sending()) {
        TCommand command;
        if (!ReadRemoteCommandFile(options, command)) {
            remotes.front()->waitForFinished(0);
            remotes.back()->waitForFinished(0);
            QThread::usleep(200);
            continue;
        }
        ++received;
        ASSERT_EQ(command.Command, ScenesRemove);
        ASSERT_EQ(command.Arguments.size(), 201);
        EXPECT_EQ(command.Arguments.value(0), QString::number(next[command.SenderName]++))
            << "in order, once";
        EXPECT_EQ(
            command.Arguments.value(200), command.SenderName + QStringLiteral(" line 199 of a long command"));
    }
    for (auto& process : remotes) {
        process->waitForFinished(60000);
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0);
    }
    EXPECT_EQ(next[QStringLiteral("Left")], count);
    EXPECT_EQ(next[QStringLiteral("Right")], count);
    EXPECT_EQ(Entries(), QStringList());
}

} // namespace
