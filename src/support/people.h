#pragma once
// How the farm talks to the people at the computer: the windows answer with dialogs, the
// program without windows with its log, tests with scripted answers.

#include "support/processor_idle.h"

#include <QString>

// The views a change asks to be shown again.
enum class TView
{
    Scenes,
    Computers,
    Events
};

// The status bar's panels, in their order.
enum class TStatusPanel
{
    Clock, // "Time ..." on a Master, "Last Update ..." on a Remote
    Mode,
    Link, // "TCP/IP" while the link is on
    LinkStatus
};

// A mail on its way, sent by a thread of its own while people watch.
class TMailTransfer
{
public:
    virtual ~TMailTransfer() = default;
    // "Sending mail...", "Connection to server established.", "Message sent.", or why it failed.
    virtual QString Stage() const = 0;
    virtual bool Finished() const = 0;
    // Once Finished: whether the server took the mail.
    virtual bool Sent() const = 0;
    // Asks the transfer to stop; it finishes soon after.
    virtual void Cancel() = 0;
};

// Keeps the event loop turning (timers go on) until the transfer finished or the application
// quits.
void WaitUntilFinished(const TMailTransfer& transfer);

class TPeople
{
public:
    virtual ~TPeople() = default;

    // A question (or, when not `isQuestion`, information); true when answered Ok.
    virtual bool Ask(const QString& text, bool isQuestion) = 0;
    // The same with a check box whose state goes in and comes out through `checked`.
    virtual bool AskWithCheck(const QString& text, const QString& checkText, bool isQuestion, bool& checked)
        = 0;
    // A line of text; false (and `text` empty) when cancelled.
    virtual bool AskText(const QString& caption, QString& text) = 0;

    // A view shows changed data; the windows repaint, the program without windows ignores it.
    virtual void Refresh(TView) { }
    virtual void SetStatus(TStatusPanel, const QString&) { }
    // Work that takes a moment (the hourglass).
    virtual void Busy(bool) { }
    virtual void Beep() { }
    // The Info menu entry's check mark.
    virtual void SetInfoMark(bool) { }
    // The idle measure, once a second: the info window's idle time and its bars.
    virtual void ShowIdle(const TIdleFigures&) { }
    // The splash window, unless it shows already: a Remote's node started on an idle computer.
    virtual void ShowSplash() { }
    // The Master closes its Remotes: the program ends without asking.
    virtual void CloseOnMastersOrder() { }
    // The colours of the options changed (the Master's surprise).
    virtual void ApplyColours() { }
    // Shows a mail being sent until it finished or people cancelled it; without windows this
    // only waits.
    virtual void WatchMail(TMailTransfer& transfer) { WaitUntilFinished(transfer); }

    // Long lists in messages are shortened to fit this many units of TextWidth.
    virtual int MessageWidth() const { return 600; }
    virtual int TextWidth(const QString& text) const { return static_cast<int>(text.size()); }
};
