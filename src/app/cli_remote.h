#pragma once
// kestrion-cli's connection to the Master: a Remote's farm that reads the Master's lists and
// hands it commands, through the commands directory or over TCP/IP as the options say, and
// waits a bounded time for each answer.

#include "farm/discovery.h"
#include "farm/farm.h"
#include "support/people.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>

class TClientLink;
class TCommand;

// Nobody sits at a client: the command line is the user's answer to the farm's questions.
class TCliPeople : public TPeople
{
public:
    bool Ask(const QString& text, bool isQuestion) override;
    bool AskWithCheck(const QString& text, const QString& checkText, bool isQuestion, bool& checked) override;
    bool AskText(const QString& caption, QString& text) override;

    bool RenderAgain = false;
    QString Message;
    // Information the farm gave meanwhile (it is no question, so it says what went wrong).
    QStringList Told;
};

class TCliRemote
{
public:
    // `options` is run as a Remote; every wait ends after `timeoutSeconds` of silence.
    TCliRemote(TOptions& options, int timeoutSeconds);
    ~TCliRemote();

    TFarm& Farm() { return FFarm; }
    TCliPeople& People() { return FPeople; }
    TDiscovery& Discovery() { return FDiscovery; }
    bool TcpIp() const;
    // The Master's installation name, once known.
    QString MasterName() const { return FMasterName; }
    // Through the commands directory: no Master holds it, so the lists read are old.
    bool MasterAbsent() const { return FMasterAbsent; }
    // What went wrong last, in the farm's words, with what to check.
    QString Error;

    // The Master's lists afresh. False when they could not be had whole.
    bool Read();
    // Runs a farm command that sends commands to the Master (false: it had nothing to send),
    // then waits until they are delivered: taken from the command file by the Master, or
    // answered by it over TCP/IP.
    bool Deliver(const std::function<bool(TFarm&)>& command);
    // For waits that last: the lists as they are now (over TCP/IP the Master's pushes; through
    // the commands directory the state files read again). False when the Master stopped
    // answering for longer than the timeout, or the lists could not be read.
    bool Refresh();

    // Turns the event loop until `done` or `milliseconds` passed; false on the deadline.
    static bool WaitUntil(const std::function<bool()>& done, qint64 milliseconds);

private:
    bool Connect();
    void Received(const TCommand& command);
    bool ListsAnswered(qint64 before);
    bool DeliverToFile();
    bool MasterLockAlive();
    QString LinkProblem(const QString& what) const;
    qint64 TimeoutMs() const { return qint64(FTimeoutSeconds) * 1000; }

    TOptions& FOptions;
    int FTimeoutSeconds;
    TCliPeople FPeople;
    TClock FClock;
    TFarm FFarm;
    TDiscovery FDiscovery;
    std::unique_ptr<TClientLink> FClient;
    QString FMasterName;
    bool FMasterAbsent = false;
    QString FLinkStatus;
    bool FLost = false;
    bool FInvalidLists = false;
    qint64 FListsCount = 0;
    QElapsedTimer FLastAnswer;
    QElapsedTimer FLastAsked;
    QByteArray FStateStamp;
    QByteArray FLockBytes;
    QElapsedTimer FLockMoved;
};
