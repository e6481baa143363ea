#pragma once
// Checking a scene's rendered frames on disk and queueing the missing ones again.

#include <QString>
#include <QStringList>

class TScene;
class TPeople;

struct TVerifyResult
{
    QString Missing;
    // The missing frames went into the scene's missing list: store and show the queue again.
    bool QueueChanged = false;
    // Output directories that could not be read; the scene was left as it was.
    QStringList Unreadable;
};

// Automatic verification adds what is missing without asking; manual verification asks first.
// When an output directory cannot be read nothing changes: an unreachable share must not send
// every frame to be rendered again. Manual verification then says so.
// Frames in `held` (pieces nodes are rendering right now) are never queued again: two nodes
// would write the same frame file at once.
TVerifyResult VerifyScene(TScene& scene, bool automatic, TPeople& people, const QString& fallbackContentDirectory,
    const QString& held = QString());

inline const QString UnreadableOutputText = QStringLiteral(
    "I could not read the directory of the rendered frames:\n%1\nCheck the network and try again.");

// The question put to the user before missing frames are queued again.
QString MissingFramesText(const TScene& scene, const QString& missing, const TPeople& people);
