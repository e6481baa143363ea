#include "views/look_colours.h"

#include "model/computer.h"

TColorRef ColorRef(int r, int g, int b)
{
    return (static_cast<TColorRef>(r & 0xFF)) | (static_cast<TColorRef>(g & 0xFF) << 8)
        | (static_cast<TColorRef>(b & 0xFF) << 16);
}

void SplitColour(TColorRef colour, int& r, int& g, int& b)
{
    r = static_cast<int>(colour & 0xFF);
    g = static_cast<int>((colour >> 8) & 0xFF);
    b = static_cast<int>((colour >> 16) & 0xFF);
}

QString ColourHex(TColorRef colour)
{
    int r, g, b;
    SplitColour(colour, r, g, b);
    return QStringLiteral("#%1%2%3")
        .arg(r, 2, 16, QLatin1Char('0'))
        .arg(g, 2, 16, QLatin1Char('0'))
        .arg(b, 2, 16, QLatin1Char('0'));
}

TLookShades LookShades(TColorRef base)
{
    int r, g, b;
    SplitColour(base, r, g, b);
    return TLookShades { base, ColorRef(r / 4 + 160, g / 4 + 160, b / 4 + 160),
        ColorRef(r / 4 + 64, g / 4 + 64, b / 4 + 64), ColorRef((r + 255) / 2, (g + 255) / 2, (b + 255) / 2),
        ColorRef(r / 2, g / 2, b / 2), ColorRef(r / 3, g / 3, b / 3), ColorRef(250, g, b) };
}

TColorRef StateSquareRef(TColorRef base, TNodeState state)
{
    const TColorRef half = LookShades(base).Half;
    TColorRef square;
    switch (state) {
    case TNodeState::Initializing:
        square = half + ColorRef(50, 0, 0);
        break;
    case TNodeState::Ready:
        square = half + ColorRef(0, 50, 0);
        break;
    case TNodeState::NextFrame:
        square = half + ColorRef(50, 50, 0);
        break;
    case TNodeState::Loading:
        square = half + ColorRef(0, 0, 50);
        break;
    case TNodeState::Rendering:
        square = half + ColorRef(50, 50, 50);
        break;
    case TNodeState::Offline:
        square = half - ColorRef(50, 50, 50);
        break;
    default:
        square = ColorRef(254, 254, 254);
        break;
    }
    return square & 0xFFFFFF;
}
