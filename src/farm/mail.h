#pragma once
// The e-mail report: its body from the queue and the nodes, and the SMTP conversation (libcurl)
// in a thread of its own, so the farm's ticks go on while a mail is on its way.

#include "support/people.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <thread>

class TFarm;

struct TMail
{
    // "host" or "host:port"; port 25 when none is given.
    QString SmtpHost;
    QString ToAddress;
    QString FromAddress;
    QString Subject;
    QStringList Body;
};

// How long one conversation may take. A server that does not answer must not hold a report
// (or a Cancel) for long; tests shorten them.
struct TMailLimits
{
    int ConnectSeconds = 30;
    // Without a byte in either direction.
    int StallSeconds = 60;
    int TotalSeconds = 120;
};

// The scenes' and the computers' sections, as the report and the options dialog's test send them.
QStringList ReportBody(const TFarm& farm);

// Splits "host" or "host:port" ("[v6 address]:port" too); false for anything that is no plain
// host name or address, so no text reaches the mail URL unchecked.
bool SplitSmtpServer(const QString& server, QString& host, int& port);
// The whole message: headers, then the body with every line ended by CR LF.
QByteArray MailMessage(const TMail& mail, const QDateTime& date);

// One mail sent by libcurl in a thread of its own; the destructor stops and waits for it.
class TMailSending final : public TMailTransfer
{
public:
    TMailSending(const TMail& mail, const TMailLimits& limits, const QDateTime& date);
    ~TMailSending() override;
    TMailSending(const TMailSending&) = delete;
    TMailSending& operator=(const TMailSending&) = delete;

    QString Stage() const override;
    bool Finished() const override { return FFinished; }
    bool Sent() const override { return FSent; }
    void Cancel() override { FCancelled = true; }
    // Returns once the conversation's thread has ended; what it found is final then.
    void Wait();

    // Why it was not sent, with what the server said against it; only once Finished.
    QString Reason() const;

private:
    // The libcurl side: its callbacks and what they keep, only ever touched by the thread.
    struct TConversation;
    friend struct TConversation;

    void Run();
    void SetStage(const QString& stage);
    void Finish(bool sent, const QString& reason);

    const TMailLimits FLimits;
    // Checked and built before the thread starts, only read by it.
    QString FProblem;
    QByteArray FUrl;
    QByteArray FFrom;
    QByteArray FTo;
    QByteArray FMessage;

    mutable std::mutex FMutex;
    QString FStage;
    QString FReason;
    std::atomic<bool> FSent { false };
    std::atomic<bool> FCancelled { false };
    std::atomic<bool> FFinished { false };
    std::thread FThread;
};

// Sends one mail (dialling `account` first and hanging up afterwards when `dial` is set) while
// people watch. When it was not sent: an event with the reason, then the information box. True
// when sent.
bool SendReport(TFarm& farm, bool dial, const QString& account, const TMail& mail, const TMailLimits& limits = {});
// The periodic report with the options' values; the event "E-mail report sent" follows every
// attempt.
void SendPeriodicReport(TFarm& farm, const TMailLimits& limits = {});
// The options dialog's test: its values as edited, a body built before, no event when sent.
bool SendTestReport(TFarm& farm, bool dial, const QString& account, const QString& smtpHost,
    const QString& address, const QStringList& body, const TMailLimits& limits = {});
