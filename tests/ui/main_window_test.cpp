#include "ui/main_window.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

TEST(MainWindow, CaptionFollowsTheMode)
{
    TFormKestrion master(true);
    master.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&master));
    EXPECT_EQ(master.windowTitle(), QStringLiteral("Kestrion Master"));
    EXPECT_TRUE(master.close());

    TFormKestrion remote(false);
    EXPECT_EQ(remote.windowTitle(), QStringLiteral("Quenvary"));
}

namespace {

// True once the process has installed its own handler for the signal (its SigCgt mask says so).
bool WaitUntilCatching(qint64 pid, int signalNumber)
{
    for (int i = 0; i < 400; ++i) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("SigCgt:")
                && (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signalNumber - 1)) & 1)
                return true;
        }
        QTest::qWait(50);
    }
    return false;
}

} // namespace

// The program as a user starts it: it opens its window, closes on SIGTERM, exits 0 and has
// written its options file.
TEST(MainWindow, ProgramOpensAndClosesCleanly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString options = dir.filePath(QStringLiteral("Farm2"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(KESTRION_APP_EXE), { QStringLiteral("R"), options });
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(WaitUntilCatching(program.processId(), SIGTERM));
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    QFile written(options + QStringLiteral(".ini"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("Master=0\r\n"));
}
