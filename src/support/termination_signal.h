#pragma once
// Turns SIGTERM and SIGINT into a Qt signal, so the program closes through its event loop
// as it would on a user's request.

#include <QObject>

class QSocketNotifier;

class TTerminationSignal : public QObject
{
    Q_OBJECT
public:
    explicit TTerminationSignal(QObject* parent = nullptr);
    ~TTerminationSignal() override;

Q_SIGNALS:
    void Received(int signalNumber);

private:
    void Drain();
    QSocketNotifier* notifier_ = nullptr;
};
