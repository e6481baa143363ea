#include "farm/mail.h"

#include "farm/controller.h"
#include "farm/farm.h"
#include "options/options.h"

#include "scripted_people.h"
#include "smtp_server.h"
#include "test_files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QString Address = QStringLiteral("farm@example.com");
const QString NotSentText
    = QStringLiteral("Mail could not be sent (next version of Kestrion will have a more detailed message).");
// Short enough that a silent server costs a test a few seconds.
const TMailLimits Quick { 2, 2, 6 };

TEST(MailServer, HostAndPort)
{
    QString host;
    int port = 0;
    EXPECT_TRUE(SplitSmtpServer(QStringLiteral(" mail.example.com "), host, port));
    EXPECT_EQ(host, QStringLiteral("mail.example.com"));
    EXPECT_EQ(port, 25);
    EXPECT_TRUE(SplitSmtpServer(QStringLiteral("127.0.0.1:2525"), host, port));
    EXPECT_EQ(host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(port, 2525);
    EXPECT_TRUE(SplitSmtpServer(QStringLiteral("[::1]:587"), host, port));
    EXPECT_EQ(host, QStringLiteral("[::1]"));
    EXPECT_EQ(port, 587);
    EXPECT_TRUE(SplitSmtpServer(QStringLiteral("[fe80::1]"), host, port));
    EXPECT_EQ(port, 25);

    // Nothing but a host and a port reaches the URL.
    for (const char* bad : { "", "(none)", "host:", "host:0", "host:65536", "host:25x", "host:+25", "a/b",
             "a b", "user@host", "host:25/path", "[::1", "[]:25", "[::1]x", "[::1/x]", "h\r\nRCPT" })
        EXPECT_FALSE(SplitSmtpServer(QString::fromUtf8(bad), host, port)) << bad;
}

TEST(MailMessage, HeadersAndLinesEndedByCrLf)
{
    TMail mail;
    mail.ToAddress = QStringLiteral("to@example.com");
    mail.FromAddress = QStringLiteral("from@example.com");
    mail.Subject = QStringLiteral("Kestrion Report\r\nBcc: someone@else");
    mail.Body = { QStringLiteral("one\ntwo\rthree\r\nfour"), QString(), QStringLiteral(".dot") };
    const QDateTime date(QDate(2026, 12, 9), QTime(11, 5, 0), Qt::UTC);
    EXPECT_EQ(MailMessage(mail, date),
        QByteArray("Date: 09 Dec 2026 11:05:00 +0000\r\n"
                   "From: \"Kestrion\" <from@example.com>\r\n"
                   "To: <to@example.com>\r\n"
                   "Subject: Kestrion Report  Bcc: someone@else\r\n"
                   "MIME-Version: 1.0\r\n"
                   "Content-Type: text/plain; charset=UTF-8\r\n"
                   "Content-Transfer-Encoding: 8bit\r\n"
                   "\r\n"
                   "one\r\ntwo\r\nthree\r\nfour\r\n\r\n.dot\r\n"));
}

class Mail : public testing::Test
{
protected:
    void SetUp() override
    {
        if (TSmtpServer::Python().isEmpty())
            GTEST_SKIP() << TSmtpServer::Missing;
        options.ScreamerName = QStringLiteral("Mailer");
        options.CommunicationEmailAddress = Address;
        options.CommunicationEmailDial = false;
    }

    // The server runs in the given mode and the options name it.
    void Serve(const QString& mode)
    {
        ASSERT_TRUE(server.Start(mode));
        options.CommunicationEmailSmtp = server.Address();
    }

    TOptions options;
    TScriptedPeople people;
    TManualClock clock;
    TFarm farm { options, people, clock };
    TSmtpServer server;
};

TEST_F(Mail, AReportOfAnEmptyFarmArrivesWithBothSections)
{
    Serve(QStringLiteral("accept"));
    SendPeriodicReport(farm, Quick);

    const QJsonObject mail = server.NextMail(10000);
    EXPECT_EQ(mail.value(QStringLiteral("from")).toString(), Address);
    EXPECT_EQ(mail.value(QStringLiteral("to")).toArray(), QJsonArray { Address });
    const QString data = mail.value(QStringLiteral("data")).toString();
    const QString underline(44, u'_');
    EXPECT_TRUE(data.contains(QStringLiteral("\r\nSubject: Kestrion Report ") + EventTimeText(clock.Moment) + "\r\n"))
        << data.toStdString();
    EXPECT_TRUE(data.endsWith(QStringLiteral("\r\n\r\n") + underline + "\r\nSCENES\r\n\r\n" + underline
        + "\r\nCOMPUTERS\r\n\r\n"))
        << data.toStdString();

    EXPECT_TRUE(people.Asked.isEmpty());
    ASSERT_EQ(farm.Events.Count(), 1);
    EXPECT_EQ(farm.Events.Item(0).Comment, QStringLiteral("E-mail report sent"));
}

TEST_F(Mail, AReportNamesTheScenesAndTheComputers)
{
    Serve(QStringLiteral("accept"));
    auto scene = std::make_unique<TScene>();
    scene->Filename = QStringLiteral("/scenes/shot.lws");
    farm.Scenes.Add(std::move(scene), true);
    auto node = std::make_unique<TComputer>();
    node->Number = 1;
    node->Name = QStringLiteral("alpha");
    node->StateString = QStringLiteral("Ready");
    farm.Computers.Add(std::move(node));

    const QStringList body = ReportBody(farm);
    EXPECT_EQ(body.mid(0, 5),
        QStringList({ QString(44, u'_'), "SCENES", "", "shot.lws   in   /scenes)", "  2 ._ 0 %" }));
    EXPECT_EQ(body.indexOf(QStringLiteral("COMPUTERS")) + 2, body.indexOf(QStringLiteral("alpha")));

    SendPeriodicReport(farm, Quick);
    const QString data = server.NextMail(10000).value(QStringLiteral("data")).toString();
    EXPECT_TRUE(data.endsWith(body.join(QStringLiteral("\r\n")) + "\r\n")) << data.toStdString();
}

// Whatever goes wrong, the report ends in the box and one event with the reason (never "sent"),
// and the ticks go on while the send waits.
TEST_F(Mail, EveryFailureEndsInTheMessageAndTheEvents)
{
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost));
    const QString nobody = QStringLiteral("127.0.0.1:%1").arg(gone.serverPort());
    gone.close();
    int ticks = 0;
    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();

    const std::pair<const char*, const char*> cases[] = {
        { "reject", "RCPT failed: 550; the server said \"550 5.1.1 <farm@example.com>: Recipient address rejected\"" },
        { "close", "" },
        { "garbage", "" },
        { "stall", "timeout" },
        { "", "Couldn't connect" },
    };
    for (const auto& [mode, reason] : cases) {
        SCOPED_TRACE(mode);
        TSmtpServer bad;
        if (*mode) {
            ASSERT_TRUE(bad.Start(QString::fromUtf8(mode)));
        }
        options.CommunicationEmailSmtp = *mode ? bad.Address() : nobody;
        TScriptedPeople watching;
        TFarm failing(options, watching, clock);
        SendPeriodicReport(failing, Quick);

        EXPECT_EQ(watching.Asked, QStringList { NotSentText });
        ASSERT_EQ(failing.Events.Count(), 1);
        const TEvent& failure = failing.Events.Item(0);
        EXPECT_EQ(failure.Level, 1);
        EXPECT_EQ(failure.Origin, QStringLiteral("Mailer"));
        EXPECT_EQ(failure.Type, QStringLiteral("Communication"));
        EXPECT_TRUE(failure.Comment.startsWith(QStringLiteral("Mail to farm@example.com could not be sent: ")))
            << failure.Comment.toStdString();
        EXPECT_TRUE(failure.Comment.contains(QString::fromUtf8(reason))) << failure.Comment.toStdString();
    }
    // The stalled and the garbage server take two seconds each.
    EXPECT_GT(ticks, 20);
}

// People who cancel end the send at once, however patient the limits.
TEST_F(Mail, CancelEndsASendThatWouldWaitLong)
{
    class TCancellingPeople : public TScriptedPeople
    {
    public:
        void WatchMail(TMailTransfer& transfer) override
        {
            Stages << transfer.Stage();
            transfer.Cancel();
        }
        QStringList Stages;
    } cancelling;
    TFarm patient(options, cancelling, clock);
    Serve(QStringLiteral("stall"));
    TMail mail;
    mail.SmtpHost = server.Address();
    mail.ToAddress = Address;
    mail.FromAddress = Address;
    EXPECT_FALSE(SendReport(patient, false, QString(), mail, TMailLimits { 600, 600, 600 }));
    EXPECT_EQ(cancelling.Stages, QStringList { QStringLiteral("Sending mail...") });
    EXPECT_EQ(cancelling.Asked, QStringList { NotSentText });
    ASSERT_EQ(patient.Events.Count(), 1);
    EXPECT_TRUE(patient.Events.Item(0).Comment.endsWith(QStringLiteral(": cancelled")));
}

// The options dialog's test goes out with the values as edited, not the stored ones, and adds
// no event; an unusable address never reaches the server.
TEST_F(Mail, TheTestMailUsesTheGivenValues)
{
    Serve(QStringLiteral("accept"));
    options.CommunicationEmailSmtp = QStringLiteral("(none)");
    const QString edited = QStringLiteral("tester@example.com");
    EXPECT_TRUE(SendTestReport(farm, false, QString(), server.Address(), edited, { QStringLiteral("the body") }));
    const QJsonObject mail = server.NextMail(10000);
    EXPECT_EQ(mail.value(QStringLiteral("to")).toArray(), QJsonArray { edited });
    const QString data = mail.value(QStringLiteral("data")).toString();
    EXPECT_TRUE(data.contains(QStringLiteral("\r\nSubject: Kestrion Test ") + EventTimeText(clock.Moment) + "\r\n"))
        << data.toStdString();
    EXPECT_TRUE(data.endsWith(QStringLiteral("\r\n\r\nthe body\r\n"))) << data.toStdString();
    EXPECT_EQ(farm.Events.Count(), 0);

    EXPECT_FALSE(SendTestReport(farm, false, QString(), server.Address(), QStringLiteral("a@b>\r\nRCPT TO:<c@d"), {}));
    EXPECT_EQ(farm.Events.Count(), 1);
    EXPECT_TRUE(farm.Events.Item(0).Comment.contains(QStringLiteral("is no e-mail address")));
    EXPECT_TRUE(server.NextMail(500).isEmpty());
}

// Dialling runs the ppp scripts around the send, the account one argument even with a space.
TEST_F(Mail, DialAndHangUpAroundTheSend)
{
    QTemporaryDir bin;
    const QString log = bin.filePath(QStringLiteral("calls"));
    for (const QString& program : { QStringLiteral("pon"), QStringLiteral("poff") }) {
        const QString script = bin.filePath(program);
        WriteBytes(script,
            QStringLiteral("#!/bin/sh\necho \"%1 $# $1\" >> '%2'\n").arg(program, log).toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ':' + path);

    Serve(QStringLiteral("accept"));
    options.CommunicationEmailDial = true;
    options.CommunicationEmailAccount = QStringLiteral("Office Line");
    SendPeriodicReport(farm, Quick);
    qputenv("PATH", path);

    EXPECT_FALSE(server.NextMail(10000).isEmpty());
    EXPECT_EQ(ReadBytes(log), QByteArray("pon 1 Office Line\npoff 1 Office Line\n"));
}

} // namespace

namespace {

// The housekeeping goes on while the periodic report waits for its server, and a farm closed
// meanwhile cancels the mail and says nothing of it after its end.
TEST_F(Mail, TheTickGoesOnDuringAReportAndClosingCancelsIt)
{
    class TWatchingPeople : public TScriptedPeople
    {
    public:
        void SetInfoMark(bool) override { ++Ticks; }
        void WatchMail(TMailTransfer& transfer) override
        {
            Watching = true;
            const int before = Ticks;
            QEventLoop loop;
            QTimer::singleShot(300, &loop, &QEventLoop::quit);
            loop.exec();
            TicksDuringMail = Ticks - before;
            CloseFarm();
            WaitUntilFinished(transfer);
        }
        std::function<void()> CloseFarm;
        bool Watching = false;
        int Ticks = 0;
        int TicksDuringMail = 0;
    } watching;
    Serve(QStringLiteral("stall"));
    QTemporaryDir directory;
    options.Master = true;
    options.ScreamerDirectory = directory.path();
    options.SaverEnabled = false;
    options.CommunicationEmail = true;
    options.CommunicationInterval = 1;
    TController controller(options, watching, clock);
    watching.CloseFarm = [&controller] { controller.Close(); };
    controller.Start();
    // A minute of ticks in a moment.
    controller.TimerGeneral.setInterval(2);
    QElapsedTimer waited;
    waited.start();
    while (!watching.Watching && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_TRUE(watching.Watching);
    EXPECT_GT(watching.TicksDuringMail, 10);
    // Closed with the default limits of a minute: the cancel ended it, and after "Ended" nothing.
    EXPECT_LT(waited.elapsed(), 30000);
    EXPECT_EQ(controller.Farm().Events.Item(controller.Farm().Events.Count() - 1).Comment,
        QStringLiteral("Ended"));
    EXPECT_FALSE(watching.Asked.contains(NotSentText));
}

} // namespace
