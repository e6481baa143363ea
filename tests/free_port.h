#pragma once
// A loopback port nobody listens on, for a Master the test starts.

#include <QTcpServer>

inline quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
