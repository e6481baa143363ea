#include "ui/look.h"

#include "model/computer.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>

namespace {

int LookR = 0;
int LookG = 0;
int LookB = 0;

void FillBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// True when the nearest container of the kind that matters (a window ends the search) is a `T`.
template <typename T> bool InsideA(const QWidget* widget)
{
    for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (qobject_cast<T*>(parent))
            return true;
        if (parent->isWindow() || qobject_cast<QTabWidget*>(parent) || qobject_cast<TPanel*>(parent)
            || qobject_cast<QToolBar*>(parent))
            return false;
    }
    return false;
}

void ApplyToChildren(QWidget* widget)
{
    const QList<QWidget*> children = widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        // Separate windows (other dialogs parented here) tint themselves when shown.
        if (!child->isWindow())
            ApplyLook(child);
    }
}

} // namespace

TColorRef ColorRef(int r, int g, int b)
{
    return (static_cast<TColorRef>(r & 0xFF)) | (static_cast<TColorRef>(g & 0xFF) << 8)
        | (static_cast<TColorRef>(b & 0xFF) << 16);
}

QColor ToQColor(TColorRef colour)
{
    int r, g, b;
    SplitColour(colour, r, g, b);
    return QColor(r, g, b);
}

void SplitColour(TColorRef colour, int& r, int& g, int& b)
{
    r = static_cast<int>(colour & 0xFF);
    g = static_cast<int>((colour >> 8) & 0xFF);
    b = static_cast<int>((colour >> 16) & 0xFF);
}

void SetLookColor(TColorRef colour)
{
    SplitColour(colour, LookR, LookG, LookB);
}

QColor LookBase()
{
    return QColor(LookR, LookG, LookB);
}
QColor LookBright()
{
    return QColor(LookR / 4 + 160, LookG / 4 + 160, LookB / 4 + 160);
}
QColor LookLight()
{
    return QColor(LookR / 4 + 64, LookG / 4 + 64, LookB / 4 + 64);
}
QColor LookPale()
{
    return QColor((LookR + 255) / 2, (LookG + 255) / 2, (LookB + 255) / 2);
}
QColor LookHalf()
{
    return ToQColor(LookHalfRef());
}
QColor LookThird()
{
    return QColor(LookR / 3, LookG / 3, LookB / 3);
}
QColor LookAlert()
{
    return QColor(250, LookG, LookB);
}
TColorRef LookHalfRef()
{
    return ColorRef(LookR / 2, LookG / 2, LookB / 2);
}

QColor StateSquareColour(TNodeState state)
{
    const TColorRef half = LookHalfRef();
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
    return ToQColor(square & 0xFFFFFF);
}

TPanel::TPanel(QWidget* parent)
    : QFrame(parent)
{ }

void ApplyLook(QWidget* widget)
{
    if (!widget)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, LookLight());
        palette.setColor(QPalette::Text, Qt::white);
        // White on the dark shade reads as a live field: a greyed one takes the window's shade.
        palette.setColor(QPalette::Disabled, QPalette::Base, LookBright());
        palette.setColor(QPalette::Disabled, QPalette::Text, LookLight());
        edit->setPalette(palette);
        return;
    }
    if (qobject_cast<QComboBox*>(widget) || qobject_cast<QTreeView*>(widget)
        || qobject_cast<QListView*>(widget)) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Base, LookLight());
        palette.setColor(QPalette::Button, LookLight());
        widget->setPalette(palette);
        return;
    }
    if (widget->isWindow())
        FillBackground(widget, LookBright());
    else if (qobject_cast<TPanel*>(widget))
        FillBackground(widget, InsideA<TPanel>(widget) ? LookPale() : LookBase());
    else if (qobject_cast<QToolBar*>(widget))
        FillBackground(widget, InsideA<QToolBar>(widget) ? LookPale() : LookBase());
    // Tab widgets and their pages, check boxes and any other control keep their own colours; only
    // what they contain is tinted.
    ApplyToChildren(widget);
}
