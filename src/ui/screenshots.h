#pragma once
// Pictures of the main window's views and the info window for the README, taken by a scripted
// run of the demo farm (KESTRION_SCREENSHOTS names the directory).

#include <QString>

class TFormKestrion;

// Once the farm has been at work for a while: saves scenes.png, computers.png, events.png and
// info.png into `directory`, then closes the window.
void TakeScreenshotsLater(TFormKestrion& window, const QString& directory);
