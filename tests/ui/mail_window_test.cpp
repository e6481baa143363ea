#include "ui/mail_window.h"
#include "ui/window_people.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class TFakeTransfer : public TMailTransfer
{
public:
    QString Stage() const override { return StageText; }
    bool Finished() const override { return Done; }
    bool Sent() const override { return false; }
    void Cancel() override { Cancelled = true; }

    QString StageText = QStringLiteral("Sending mail...");
    bool Done = false;
    bool Cancelled = false;
};

// Runs the window's look at the transfer now rather than at its next tick.
void Poll(TFormMail& form)
{
    QMetaObject::invokeMethod(&form.Timer, "timeout");
}

TEST(MailWindow, ShowsEachStageAndClosesItselfWhenTheMailIsOut)
{
    TFakeTransfer transfer;
    TFormMail form;
    QString caption;
    QString button;
    QStringList labels;
    QTimer::singleShot(0, &form, [&] {
        caption = form.windowTitle();
        button = form.ButtonOk->text();
        labels << form.LabelMessage->text();
        transfer.StageText = QStringLiteral("Connection to server established.");
        Poll(form);
        labels << form.LabelMessage->text();
        transfer.StageText = QStringLiteral("Message sent.");
        transfer.Done = true;
        Poll(form);
    });
    form.Watch(transfer);
    EXPECT_EQ(caption, QStringLiteral("Communication"));
    EXPECT_EQ(button, QStringLiteral("Cancel"));
    EXPECT_EQ(labels, QStringList({ "Sending mail...", "Connection to server established." }));
    EXPECT_EQ(form.LabelMessage->text(), QStringLiteral("Message sent."));
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Timer.isActive());
    EXPECT_FALSE(transfer.Cancelled);
}

// Cancel closes the window at once, before the transfer has stopped; the farm waits for that.
TEST(MailWindow, CancelStopsTheTransferAndCloses)
{
    TFakeTransfer transfer;
    TWindowPeople people;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<TFormMail*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        caption = form->windowTitle();
        form->ButtonOk->click();
    });
    people.WatchMail(transfer);
    EXPECT_EQ(caption, QStringLiteral("Communication"));
    EXPECT_TRUE(transfer.Cancelled);
    EXPECT_FALSE(transfer.Done);
}

} // namespace
