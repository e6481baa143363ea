#pragma once
// The colour scheme: every window is tinted from one base colour the user picks in the options.

#include "views/look_colours.h"

#include <QColor>
#include <QFrame>

class QWidget;

QColor ToQColor(TColorRef colour);

// The base colour every shade is derived from; black until the options are loaded.
void SetLookColor(TColorRef colour);

QColor LookBase();
QColor LookBright(); // window backgrounds
QColor LookLight(); // edit fields, combo boxes, directory and drive lists
QColor LookPale(); // panels in panels, tool bars in tool bars
QColor LookHalf();
QColor LookThird();
QColor LookAlert(); // marked grid cells
TColorRef LookHalfRef();

QColor StateSquareColour(TNodeState state);

// A plain panel; ApplyLook tints it from its place among other panels.
class TPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);
};

// Tints a window, or any control, and everything it contains.
void ApplyLook(QWidget* widget);
