#include "model/node_channel.h"

#include "options/options.h"
#include "support/files.h"

#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class NodeChannel : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        options.ScreamerDirectory = dir.path();
    }

    QByteArray JobBytes(int number) const { return ReadBytes(JobFileName(options, number)); }
    void WriteAckBytes(int number, const QByteArray& bytes) const
    {
        WriteBytes(AckFileName(options, number), bytes);
    }

    QTemporaryDir dir;
    TOptions options;
};

TEST_F(NodeChannel, FileNamesFollowTheNodeNumber)
{
    options.ScreamerDirectory = QStringLiteral("/farm/C");
    EXPECT_EQ(JobFileName(options, 1), QStringLiteral("/farm/C/Job1"));
    EXPECT_EQ(AckFileName(options, 1), QStringLiteral("/farm/C/Ack1"));
    EXPECT_EQ(JobFileName(options, 12), QStringLiteral("/farm/C/Job12"));
}

TEST_F(NodeChannel, JobBytesInBothStyles)
{
    WriteJob(options, 3, JobRender, QStringLiteral("5 9 2"));
    EXPECT_EQ(JobBytes(3), QByteArray("render\r\n5 9 2\r\n\r\n\r\n\r\n"));
    WriteJob(options, 3, JobContent, QStringLiteral("/content"));
    EXPECT_EQ(JobBytes(3), QByteArray("content\r\n/content\r\n\r\n\r\n\r\n"));
    WriteJob(options, 3, JobWait, QStringLiteral("ignored"));
    EXPECT_EQ(JobBytes(3), QByteArray("wait\r\n\r\n\r\n\r\n"));

    options.MasterScreamerOldStyle = true;
    WriteJob(options, 3, JobRender, QStringLiteral("12 12 1"));
    EXPECT_EQ(JobBytes(3), QByteArray("render 12 12 1\r\n\r\n\r\n\r\n"));
    WriteJob(options, 3, JobLoad, QStringLiteral("/s/shot.lns"));
    EXPECT_EQ(JobBytes(3), QByteArray("load /s/shot.lns\r\n\r\n\r\n\r\n"));
    WriteJob(options, 3, JobInit);
    EXPECT_EQ(JobBytes(3), QByteArray("init\r\n\r\n\r\n\r\n"));
    WriteJob(options, 3, JobQuit);
    EXPECT_EQ(JobBytes(3), QByteArray("quit\r\n\r\n\r\n\r\n"));
}

TEST_F(NodeChannel, DeleteRemovesTheJobAndIsSilentWithoutOne)
{
    EXPECT_NO_THROW(WriteJob(options, 4, JobDelete));
    WriteJob(options, 4, JobWait);
    WriteJob(options, 4, JobDelete);
    EXPECT_FALSE(QFile::exists(JobFileName(options, 4)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

TEST_F(NodeChannel, UnwritableJobFileEndsTheOperation)
{
    options.ScreamerDirectory = dir.filePath(QStringLiteral("no-such-directory"));
    EXPECT_THROW(WriteJob(options, 1, JobWait), EInOutError);
    EXPECT_NO_THROW(WriteJob(options, 1, JobDelete));
}

TEST_F(NodeChannel, ReadAckTakesTwoLines)
{
    TAck ack;
    EXPECT_FALSE(ReadAck(options, 2, ack));

    WriteAckBytes(2, "Initializing\r\nx86\r\n");
    ASSERT_TRUE(ReadAck(options, 2, ack));
    EXPECT_EQ(ack.State, QStringLiteral("Initializing"));
    EXPECT_EQ(ack.Platform, QStringLiteral("x86"));

    WriteAckBytes(2, "Ready");
    ASSERT_TRUE(ReadAck(options, 2, ack));
    EXPECT_EQ(ack.State, QStringLiteral("Ready"));
    EXPECT_EQ(ack.Platform, QString());

    WriteAckBytes(2, "Rendering frame 7\nrest\nmore");
    ASSERT_TRUE(ReadAck(options, 2, ack));
    EXPECT_EQ(ack.State, QStringLiteral("Rendering frame 7"));
    EXPECT_EQ(ack.Platform, QStringLiteral("rest"));

    DeleteAck(options, 2);
    EXPECT_FALSE(QFile::exists(AckFileName(options, 2)));
    DeleteAck(options, 2);
}

TEST(NodeAnswer, OnlyTheTextsNodesWrite)
{
    for (const QString& state : { AckInitializing, AckReady, AckSettingContent, AckLoading, AckOffline,
             QStringLiteral("Rendering frame 12"), QStringLiteral("Rendering") })
        EXPECT_TRUE(IsNodeAnswer(state)) << state.toStdString();
    // The Master's own texts, a file caught half written, and noise.
    for (const QString& state : { QStringLiteral("Next Frame"), QStringLiteral("Dying"),
             QStringLiteral("Rea"), QStringLiteral("Render"), QStringLiteral("rendering frame 1"),
             QStringLiteral("Offline\u0001"), QString() })
        EXPECT_FALSE(IsNodeAnswer(state)) << state.toStdString();
}

TEST_F(NodeChannel, AckStillBeingWrittenIsNoAcknowledgement)
{
    TAck ack { QStringLiteral("before"), QString() };
    for (const QByteArray& bytes : { QByteArray(), QByteArray("\r\n"), QByteArray("\r\nx86\r\n") }) {
        WriteAckBytes(5, bytes);
        EXPECT_FALSE(ReadAck(options, 5, ack));
        EXPECT_TRUE(QFile::exists(AckFileName(options, 5)));
    }
}

TEST_F(NodeChannel, AckWithAnyBytes)
{
    TAck ack;
    WriteAckBytes(6, QByteArray("Re\0dy\xff\xfe\r\n", 9) + QByteArray(1 << 20, 'x'));
    ASSERT_TRUE(ReadAck(options, 6, ack));
    EXPECT_EQ(ack.State.size(), 7);
    EXPECT_LE(ack.Platform.size(), 64 * 1024);

    // A directory where the ack file should be reads as no acknowledgement.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Ack8")));
    EXPECT_FALSE(ReadAck(options, 8, ack));
}

} // namespace
