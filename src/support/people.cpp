#include "support/people.h"

#include <QEventLoop>
#include <QTimer>

void WaitUntilFinished(const TMailTransfer& transfer)
{
    // The transfer's thread knows nothing of Qt, so it is asked rather than heard from.
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (transfer.Finished())
            loop.quit();
    });
    poll.start();
    if (!transfer.Finished())
        loop.exec();
}
