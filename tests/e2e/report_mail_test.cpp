// kestriond mails its periodic report to a real mail server and says how it went.
#include "farm_fixture.h"
#include "smtp_server.h"

#include <QJsonArray>

namespace {

// The first report is due a minute and two seconds after the start.
TEST(ReportMail, KestriondMailsItsReportEveryInterval)
{
    if (TSmtpServer::Python().isEmpty())
        GTEST_SKIP() << TSmtpServer::Missing;
    TSmtpServer server;
    ASSERT_TRUE(server.Start(QStringLiteral("accept")));
    TScratchFarm farm;
    farm.Master.CommunicationEmail = true;
    farm.Master.CommunicationInterval = 1;
    farm.Master.CommunicationEmailDial = false;
    farm.Master.CommunicationEmailSmtp = server.Address();
    farm.Master.CommunicationEmailAddress = QStringLiteral("farm@example.com");
    ASSERT_TRUE(farm.StartMaster(QString(), false));

    const QJsonObject mail = server.NextMail(90000);
    EXPECT_EQ(mail.value(QStringLiteral("to")).toArray(), QJsonArray { QStringLiteral("farm@example.com") });
    const QString data = mail.value(QStringLiteral("data")).toString();
    EXPECT_TRUE(data.contains(QStringLiteral("\r\nSubject: Kestrion Report "))) << data.toStdString();
    EXPECT_TRUE(data.contains(QStringLiteral("\r\nCOMPUTERS\r\n"))) << data.toStdString();
    EXPECT_TRUE(farm.WaitFor([&] { return farm.MasterLog().contains(QStringLiteral("E-mail report sent")); }, 10000));
    EXPECT_TRUE(farm.MasterLog().contains(QStringLiteral("E-mail: Message sent.")));
    if (HasFailure())
        farm.PrintDiagnostics();
    EXPECT_TRUE(farm.StopMaster());
}

} // namespace
