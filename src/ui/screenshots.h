#pragma once
// Pictures of the main window's views, the info window and the dialogs for the README, taken by
// a scripted run of the demo farm (KESTRION_SCREENSHOTS names the directory).

#include <QString>

class TFormKestrion;

// Once the farm has been at work for a while: saves scenes.png, computers.png, events.png,
// info.png and the dialogs' pictures (one per page) into `directory`, then closes the window.
void TakeScreenshotsLater(TFormKestrion& window, const QString& directory);
