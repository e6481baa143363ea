#include "ui/look.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>

namespace {

TLookShades LookShadesNow = LookShades(0);

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

QColor ToQColor(TColorRef colour)
{
    int r, g, b;
    SplitColour(colour, r, g, b);
    return QColor(r, g, b);
}

void SetLookColor(TColorRef colour)
{
    LookShadesNow = LookShades(colour);
}

QColor LookBase()
{
    return ToQColor(LookShadesNow.Base);
}
QColor LookBright()
{
    return ToQColor(LookShadesNow.Bright);
}
QColor LookLight()
{
    return ToQColor(LookShadesNow.Light);
}
QColor LookPale()
{
    return ToQColor(LookShadesNow.Pale);
}
QColor LookHalf()
{
    return ToQColor(LookShadesNow.Half);
}
QColor LookThird()
{
    return ToQColor(LookShadesNow.Third);
}
QColor LookAlert()
{
    return ToQColor(LookShadesNow.Alert);
}
TColorRef LookHalfRef()
{
    return LookShadesNow.Half;
}

QColor StateSquareColour(TNodeState state)
{
    return ToQColor(StateSquareRef(LookShadesNow.Base, state));
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
