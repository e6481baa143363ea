#pragma once
// The colour scheme: every window is tinted from one base colour the user picks in the options.

#include <QColor>
#include <QFrame>

enum class TNodeState;

class QWidget;

using TColorRef = quint32; // 0x00BBGGRR: red the lowest byte, as the options keep it

TColorRef ColorRef(int r, int g, int b);
QColor ToQColor(TColorRef colour);

// The base colour every shade is derived from; black until the options are loaded.
void SetLookColor(TColorRef colour);
void SplitColour(TColorRef colour, int& r, int& g, int& b);

QColor LookBase();
QColor LookBright(); // window backgrounds
QColor LookLight(); // edit fields, combo boxes, directory and drive lists
QColor LookPale(); // panels in panels, tool bars in tool bars
QColor LookHalf();
QColor LookThird();
QColor LookAlert(); // marked grid cells
TColorRef LookHalfRef();

// The small square that shows a computer's state. The packed value is shifted as a whole, so a
// channel that runs over or under carries into its neighbour; computers have always looked so.
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
