#pragma once
// The demo with windows: the Master is the desktop program, the nodes and the scenes come as
// in the terminal demo, and the farm runs until the user closes the window.

#include <QString>

struct TDemoFarm;

// `screenshots`: when not empty, the program saves pictures of its views there and closes.
int RunWindowDemo(const TDemoFarm& farm, const QString& windowProgram, const QString& nodeOptions,
    const QString& screenshots);
