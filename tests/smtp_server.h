#pragma once
// A real mail server for the tests: farm/smtp_server.py (aiosmtpd) in a process of its own on a
// free loopback port. The mails it took come back as JSON objects.

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

class TSmtpServer
{
public:
    ~TSmtpServer()
    {
        if (FProcess.state() == QProcess::NotRunning)
            return;
        FProcess.closeWriteChannel();
        if (!FProcess.waitForFinished(3000)) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }

    // A python3 that has aiosmtpd (the one on the path may be another than the system's); empty
    // when there is none.
    static QString Python()
    {
        static const QString found = [] {
            for (const QString& candidate :
                { QStandardPaths::findExecutable(QStringLiteral("python3")), QStringLiteral("/usr/bin/python3") }) {
                if (candidate.isEmpty())
                    continue;
                QProcess probe;
                probe.start(candidate, { QStringLiteral("-c"), QStringLiteral("import aiosmtpd") });
                if (probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit
                    && probe.exitCode() == 0)
                    return candidate;
            }
            return QString();
        }();
        return found;
    }
    static constexpr const char* Missing
        = "needs python3 with aiosmtpd (scripts/bootstrap installs python3-aiosmtpd)";

    // "accept", "reject", "close", "stall" or "garbage"; false when it did not come up.
    bool Start(const QString& mode)
    {
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(Python(), { QStringLiteral(KESTRION_SMTP_SERVER), mode });
        const QByteArray line = NextLine(20000);
        if (!line.startsWith("PORT "))
            return false;
        Port = line.mid(5).trimmed().toInt();
        return Port > 0;
    }

    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(Port); }

    // The next mail taken; an empty object when none came in time.
    QJsonObject NextMail(int milliseconds) { return QJsonDocument::fromJson(NextLine(milliseconds)).object(); }

    int Port = 0;

private:
    QByteArray NextLine(int milliseconds)
    {
        const QDeadlineTimer deadline(milliseconds);
        while (!FProcess.canReadLine()) {
            if (deadline.hasExpired() || !FProcess.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return {};
        }
        return FProcess.readLine().trimmed();
    }

    QProcess FProcess;
};
