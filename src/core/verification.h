#pragma once
// Checking a scene's rendered frames on disk and queueing the missing ones again.

#include <QString>

class TScene;
class TPeople;

struct TVerifyResult
{
    QString Missing;
    // The missing frames went into the scene's missing list: store and show the queue again.
    bool QueueChanged = false;
};

// Automatic verification adds what is missing without asking; manual verification asks first.
TVerifyResult VerifyScene(
    TScene& scene, bool automatic, TPeople& people, const QString& fallbackContentDirectory);

// The question put to the user before missing frames are queued again.
QString MissingFramesText(const TScene& scene, const QString& missing, const TPeople& people);
