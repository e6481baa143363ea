#include "web/web_service.h"

#include "farm/farm.h"
#include "options/options.h"
#include "remote/tcp_link.h"
#include "web/web_server.h"

#include <QHostAddress>
#include <QHostInfo>

namespace {

const QString EventType = QStringLiteral("Status page");

} // namespace

TWebService::TWebService(TFarm& farm)
    : FFarm(farm)
{
    FTimer.setInterval(1000);
    connect(&FTimer, &QTimer::timeout, this, [this] { Follow(); });
    FTimer.start();
    Follow();
}

TWebService::~TWebService() = default;

void TWebService::Follow()
{
    const TOptions& options = FFarm.Options;
    if (!FFarm.Started || !FFarm.IsMaster() || !FFarm.Driving || FFarm.Closing || options.MasterWebPort == 0) {
        FServer.reset();
        FLastSaid.clear();
        return;
    }
    ReadAllowList();
    if (FServer && (FPort != options.MasterWebPort || FAddressText != options.MasterWebAddress))
        FServer.reset();
    if (!FServer)
        Open();
}

void TWebService::Open()
{
    const TOptions& options = FFarm.Options;
    FPort = options.MasterWebPort;
    FAddressText = options.MasterWebAddress;
    const QHostAddress address(TOptions::WebAddress(FAddressText));
    if (address.isNull()) {
        Say(QStringLiteral("The status page cannot be served: the option MasterWebAddress (\"%1\") is no IP "
                           "address of this computer. Write 127.0.0.1 for this computer alone, or 0.0.0.0 for "
                           "every network.")
                .arg(FAddressText));
        return;
    }
    if (FPort < 1 || FPort > 65535) {
        Say(QStringLiteral("The status page cannot be served: the option MasterWebPort (%1) is no port number. "
                           "Write one from 1 to 65535, or 0 for no status page.")
                .arg(FPort));
        return;
    }
    auto server = std::make_unique<TWebServer>(FFarm);
    server->Admit = [this](const QHostAddress& peer) { return FAllow.Allows(peer); };
    server->Refused = [this](const QHostAddress& peer, const QString& why) {
        const QString text = AddressText(peer);
        if (FRefusals.Due(text, LinkMilliseconds()))
            FFarm.MasterEvent(EventType, QStringLiteral("Refused the status page to %1: %2.").arg(text, why));
    };
    QString error;
    if (!server->Listen(address, static_cast<quint16>(FPort), error)) {
        Say(QStringLiteral("The status page cannot be served: listening on %1 port %2 failed (%3). Check that "
                           "no other program uses the port, or choose another with the option MasterWebPort.")
                .arg(FAddressText, QString::number(FPort), error));
        return;
    }
    FServer = std::move(server);
    // Listening on every network, the page is best reached by this computer's name.
    const bool everywhere = address == QHostAddress::AnyIPv4 || address == QHostAddress::AnyIPv6
        || address == QHostAddress::Any;
    const QString host = everywhere ? QHostInfo::localHostName()
        : address.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]").arg(address.toString())
                                                               : address.toString();
    Say(QStringLiteral("The status page is at http://%1:%2/").arg(host).arg(FPort));
}

void TWebService::ReadAllowList()
{
    QString error;
    if (!FAllow.Follow(FFarm.Options.MasterTCPIPAllow, error))
        FFarm.MasterEvent(EventType,
            QStringLiteral("No computer can open the status page until the option MasterTCPIPAllow is mended: %1")
                .arg(error));
}

// What goes wrong is tried again each second and said once.
void TWebService::Say(const QString& text)
{
    if (text == FLastSaid)
        return;
    FLastSaid = text;
    FFarm.MasterEvent(EventType, text);
}
