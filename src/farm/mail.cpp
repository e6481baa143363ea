#include "farm/mail.h"

#include "events/event_log.h"
#include "farm/farm.h"
#include "options/options.h"
#include "support/processes.h"
#include "support/text_routines.h"

#include <QRegularExpression>
#include <curl/curl.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int SmtpPort = 25;
// Enough of a server's refusal to say why; a server may send any amount of anything.
constexpr qsizetype RefusalLength = 200;

const QString CommunicationType = QStringLiteral("Communication");

bool IsHostCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.'
        || c == u'-' || c == u'_';
}

bool IsAddressCharacter(QChar c)
{
    return c.isPrint() && !c.isSpace() && c != u'<' && c != u'>';
}

bool IsPort(const QString& text, int& port)
{
    if (text.isEmpty() || text.size() > 5
        || !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    port = text.toInt();
    return port >= 1 && port <= 65535;
}

// Control characters of a server's answer would break the one-line event.
QString Printable(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes.left(RefusalLength));
    for (QChar& c : text) {
        if (!c.isPrint())
            c = u' ';
    }
    return text.trimmed();
}

// The ppp scripts dial at once and leave pppd behind; one that hangs must not hold the report.
constexpr int DialMilliseconds = 60000;

void Dial(const QString& program, const QString& account)
{
    RunAndWait(program, { account }, TShowMode::Normal, DialMilliseconds);
}

} // namespace

QStringList ReportBody(const TFarm& farm)
{
    QStringList lines;
    farm.Scenes.ReportLines(lines, farm.Computers.Count());
    farm.Computers.ReportLines(lines);
    return lines;
}

bool SplitSmtpServer(const QString& server, QString& host, int& port)
{
    const QString text = server.trimmed();
    QString portText;
    bool hasPort = false;
    if (text.startsWith(u'[')) {
        const qsizetype end = text.indexOf(u']');
        if (end < 2)
            return false;
        host = text.left(end + 1);
        const QString address = text.mid(1, end - 1);
        if (!std::all_of(address.begin(), address.end(),
                [](QChar c) { return IsHostCharacter(c) || c == u':'; }))
            return false;
        const QString rest = text.mid(end + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return false;
        hasPort = !rest.isEmpty();
        portText = rest.mid(1);
    } else {
        const qsizetype colon = text.indexOf(u':');
        host = colon < 0 ? text : text.left(colon);
        hasPort = colon >= 0;
        portText = text.mid(colon + 1);
        if (host.isEmpty() || !std::all_of(host.begin(), host.end(), IsHostCharacter))
            return false;
    }
    port = SmtpPort;
    return !hasPort || IsPort(portText, port);
}

QByteArray MailMessage(const TMail& mail, const QDateTime& date)
{
    QStringList lines {
        QStringLiteral("Date: ") + date.toString(Qt::RFC2822Date),
        QStringLiteral("From: \"Kestrion\" <") + mail.FromAddress + u'>',
        QStringLiteral("To: <") + mail.ToAddress + u'>',
        QStringLiteral("Subject: ") + OneLine(mail.Subject),
        QStringLiteral("MIME-Version: 1.0"),
        QStringLiteral("Content-Type: text/plain; charset=UTF-8"),
        QStringLiteral("Content-Transfer-Encoding: 8bit"),
        QString(),
    };
    // A file name may hold any line break; mail knows only CR LF, and a bare CR or LF is refused
    // by many servers.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : mail.Body)
        lines.append(line.split(lineBreak));
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

struct TMailSending::TConversation
{
    explicit TConversation(TMailSending& sending)
        : Sending(sending)
    {
    }

    TMailSending& Sending;
    qsizetype Offset = 0;
    bool Connected = false;
    QString Refusal;

    static size_t ReadBody(char* buffer, size_t size, size_t count, void* self)
    {
        auto& conversation = *static_cast<TConversation*>(self);
        const QByteArray& message = conversation.Sending.FMessage;
        if (conversation.Sending.FCancelled)
            return CURL_READFUNC_ABORT;
        const size_t left = static_cast<size_t>(message.size() - conversation.Offset);
        const size_t taken = std::min(left, size * count);
        std::memcpy(buffer, message.constData() + conversation.Offset, taken);
        conversation.Offset += static_cast<qsizetype>(taken);
        return taken;
    }

    // Called about once a second even while nothing moves, so a Cancel takes effect soon.
    static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<TConversation*>(self)->Sending.FCancelled ? 1 : 0;
    }

    // The server's answers arrive here line by line (only with CURLOPT_VERBOSE).
    static int Debug(CURL*, curl_infotype type, char* data, size_t size, void* self)
    {
        if (type != CURLINFO_HEADER_IN)
            return 0;
        auto& conversation = *static_cast<TConversation*>(self);
        if (!conversation.Connected) {
            conversation.Connected = true;
            conversation.Sending.SetStage(QStringLiteral("Connection to server established."));
        }
        if (size > 0 && (data[0] == '4' || data[0] == '5'))
            conversation.Refusal = Printable(QByteArray::fromRawData(data, static_cast<qsizetype>(size)));
        return 0;
    }
};

TMailSending::TMailSending(const TMail& mail, const TMailLimits& limits, const QDateTime& date)
    : FLimits(limits)
    , FStage(QStringLiteral("Sending mail..."))
{
    // Once, before any thread of ours uses libcurl.
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);

    QString host;
    int port = SmtpPort;
    const auto usable = [](const QString& address) {
        return !address.isEmpty() && std::all_of(address.begin(), address.end(), IsAddressCharacter);
    };
    if (initialised != CURLE_OK)
        FProblem = QStringLiteral("libcurl could not be initialised");
    else if (!SplitSmtpServer(mail.SmtpHost, host, port))
        FProblem = QStringLiteral("\"%1\" is no SMTP server name (host or host:port)").arg(OneLine(mail.SmtpHost));
    else if (!usable(mail.FromAddress) || !usable(mail.ToAddress))
        FProblem = QStringLiteral("\"%1\" is no e-mail address").arg(OneLine(usable(mail.FromAddress) ? mail.ToAddress : mail.FromAddress));
    FUrl = QStringLiteral("smtp://%1:%2").arg(host).arg(port).toUtf8();
    FFrom = mail.FromAddress.toUtf8();
    FTo = mail.ToAddress.toUtf8();
    FMessage = MailMessage(mail, date);
    FThread = std::thread([this] { Run(); });
}

TMailSending::~TMailSending()
{
    Cancel();
    Wait();
}

void TMailSending::Wait()
{
    if (FThread.joinable())
        FThread.join();
}

QString TMailSending::Stage() const
{
    std::lock_guard lock(FMutex);
    return FStage;
}

QString TMailSending::Reason() const
{
    std::lock_guard lock(FMutex);
    return FReason;
}

void TMailSending::SetStage(const QString& stage)
{
    std::lock_guard lock(FMutex);
    FStage = stage;
}

void TMailSending::Finish(bool sent, const QString& reason)
{
    {
        std::lock_guard lock(FMutex);
        FStage = sent ? QStringLiteral("Message sent.") : QStringLiteral("Mail not sent: ") + reason;
        FReason = reason;
    }
    FSent = sent;
    FFinished = true;
}

void TMailSending::Run()
{
    if (!FProblem.isEmpty()) {
        Finish(false, FProblem);
        return;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        Finish(false, QStringLiteral("libcurl could not be initialised"));
        return;
    }
    TConversation conversation(*this);
    char error[CURL_ERROR_SIZE] = {};
    curl_slist* recipients = curl_slist_append(nullptr, FTo.constData());

    curl_easy_setopt(curl, CURLOPT_URL, FUrl.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp");
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, FFrom.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &TConversation::ReadBody);
    curl_easy_setopt(curl, CURLOPT_READDATA, &conversation);
    // Signals are for the program, not for a thread that waits on a slow name server.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(FLimits.ConnectSeconds));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(FLimits.StallSeconds));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(FLimits.StallSeconds));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(FLimits.TotalSeconds));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &TConversation::Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &conversation);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &TConversation::Debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &conversation);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);

    const CURLcode result = curl_easy_perform(curl);
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);

    if (result == CURLE_OK) {
        Finish(true, QString());
        return;
    }
    QString reason;
    if (FCancelled)
        reason = QStringLiteral("cancelled");
    else
        reason = QString::fromUtf8(error[0] ? error : curl_easy_strerror(result)).trimmed();
    if (!conversation.Refusal.isEmpty() && !FCancelled)
        reason += QStringLiteral("; the server said \"%1\"").arg(conversation.Refusal);
    Finish(false, reason);
}

bool SendReport(TFarm& farm, bool dial, const QString& account, const TMail& mail, const TMailLimits& limits)
{
    // Ticks run on while people watch, and may change the options this account came from.
    const QString dialled = account;
    if (dial)
        Dial(QStringLiteral("pon"), dialled);
    bool sent = false;
    QString reason;
    {
        TMailSending sending(mail, limits, DateTimeToQt(farm.Now()));
        farm.MailsOnTheirWay.append(&sending);
        if (!farm.Closing)
            farm.People.WatchMail(sending);
        // People cancelled, or the program closes: the thread stops at its next look at the flag.
        sending.Cancel();
        sending.Wait();
        farm.MailsOnTheirWay.removeOne(&sending);
        sent = sending.Sent();
        reason = sending.Reason();
    }
    if (dial)
        Dial(QStringLiteral("poff"), dialled);
    // A farm that closed meanwhile has logged its end; the mail's fate is no news then.
    if (!sent && !farm.Closing) {
        farm.Events.AddEvent(1, farm.Options.ScreamerName, CommunicationType,
            QStringLiteral("Mail to %1 could not be sent: %2").arg(OneLine(mail.ToAddress), reason));
        farm.People.Ask(
            QStringLiteral("Mail could not be sent (next version of Kestrion will have a more detailed message)."),
            false);
    }
    return sent;
}

void SendPeriodicReport(TFarm& farm, const TMailLimits& limits)
{
    const TOptions& options = farm.Options;
    TMail mail;
    mail.SmtpHost = options.CommunicationEmailSmtp;
    mail.ToAddress = options.CommunicationEmailAddress;
    mail.FromAddress = options.CommunicationEmailAddress;
    mail.Subject = QStringLiteral("Kestrion Report ") + EventTimeText(farm.Now());
    mail.Body = ReportBody(farm);
    // A failed report has its own event, with the reason: "sent" would say the opposite.
    if (SendReport(farm, options.CommunicationEmailDial, options.CommunicationEmailAccount, mail, limits))
        farm.Events.AddEvent(1, options.ScreamerName, CommunicationType, QStringLiteral("E-mail report sent"));
}

bool SendTestReport(TFarm& farm, bool dial, const QString& account, const QString& smtpHost,
    const QString& address, const QStringList& body, const TMailLimits& limits)
{
    TMail mail;
    mail.SmtpHost = smtpHost;
    mail.ToAddress = address;
    mail.FromAddress = address;
    mail.Subject = QStringLiteral("Kestrion Test ") + EventTimeText(farm.Now());
    mail.Body = body;
    return SendReport(farm, dial, account, mail, limits);
}
