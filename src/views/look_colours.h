#pragma once
// The colour scheme's arithmetic: every shade comes from the one base colour the user picks, so
// the windows and the status page are tinted alike.

#include <QString>
#include <QtGlobal>

enum class TNodeState;

using TColorRef = quint32; // 0x00BBGGRR: red the lowest byte, as the options keep it

TColorRef ColorRef(int r, int g, int b);
void SplitColour(TColorRef colour, int& r, int& g, int& b);
// "#rrggbb", as style sheets and web pages write colours.
QString ColourHex(TColorRef colour);

struct TLookShades
{
    TColorRef Base = 0;
    TColorRef Bright = 0; // window backgrounds
    TColorRef Light = 0; // edit fields, combo boxes, directory and drive lists
    TColorRef Pale = 0; // panels in panels, tool bars in tool bars
    TColorRef Half = 0;
    TColorRef Third = 0;
    TColorRef Alert = 0; // marked grid cells
};
TLookShades LookShades(TColorRef base);

// The small square that shows a computer's state. The packed value is shifted as a whole, so a
// channel that runs over or under carries into its neighbour; computers have always looked so.
TColorRef StateSquareRef(TColorRef base, TNodeState state);
