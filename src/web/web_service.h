#pragma once
// The status page as the options say: served while this installation is a started Master that
// drives and MasterWebPort is set, on MasterWebAddress, to the computers MasterTCPIPAllow lets in;
// opened again when the port or the address change. A page that cannot be served is said once,
// naming the option to check.

#include "remote/allow_list.h"

#include <QObject>
#include <QTimer>
#include <memory>

class TFarm;
class TWebServer;

class TWebService : public QObject
{
public:
    explicit TWebService(TFarm& farm);
    ~TWebService() override;

    // Brings the server in line with the options; runs each second by itself.
    void Follow();
    const TWebServer* Server() const { return FServer.get(); }

private:
    void Open();
    void ReadAllowList();
    void Say(const QString& text);

    TFarm& FFarm;
    QTimer FTimer;
    std::unique_ptr<TWebServer> FServer;
    QString FAddressText;
    int FPort = 0;
    TAllowOption FAllow;
    TRefusalNotes FRefusals;
    QString FLastSaid;
};
