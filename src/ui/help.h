#pragma once
// The user guide: static HTML pages shown in the desktop's browser. A topic is the anchor that a
// Help button names (for example "IDH_MenuScenesEdit"); no topic, or one we do not know, opens
// the contents.

#include <QString>

// The local file URL of the page that holds `topic`, with the topic as its fragment; empty when
// no help directory holds that page. Pages installed next to the program win over the source
// tree's.
QString HelpFile(const QString& topic = {});

// Opens HelpFile(topic) in the browser. False when there is no page or no browser took it, so
// the caller can tell the user.
bool OpenHelp(const QString& topic = {});
