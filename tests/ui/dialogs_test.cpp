#include "ui/directory_box.h"
#include "ui/look.h"
#include "ui/progress_box.h"
#include "ui/question_box.h"
#include "ui/string_box.h"
#include "ui/window_people.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>

namespace {

// Runs `work` once the modal box in `box` is up.
template <typename Work> void WhenUp(QObject* box, Work work)
{
    QTimer::singleShot(0, box, work);
}

} // namespace

TEST(QuestionBox, CaptionsButtonsAndSelfClose)
{
    TFormQuestion box;
    bool cancelShown = true;
    QString caption;
    WhenUp(&box, [&] {
        cancelShown = box.ButtonCancel->isVisible();
        caption = box.windowTitle();
        box.ButtonOk->click();
    });
    EXPECT_TRUE(box.Ask(QStringLiteral("Done."), false));
    EXPECT_FALSE(cancelShown);
    EXPECT_EQ(caption, QStringLiteral("Let me tell you..."));

    WhenUp(&box, [&] {
        cancelShown = box.ButtonCancel->isVisible();
        caption = box.windowTitle();
        box.ButtonCancel->click();
    });
    EXPECT_FALSE(box.Ask(QStringLiteral("Sure?"), true));
    EXPECT_TRUE(cancelShown);
    EXPECT_EQ(caption, QStringLiteral("I wonder..."));

    // Nobody answers: the minute runs out and the question counts as answered Ok.
    bool running = false;
    WhenUp(&box, [&] {
        running = box.TimerClose.isActive() && box.TimerClose.interval() == 60000;
        QMetaObject::invokeMethod(&box.TimerClose, "timeout");
    });
    EXPECT_TRUE(box.Ask(QStringLiteral("Sure?"), true));
    EXPECT_TRUE(running);
    EXPECT_FALSE(box.TimerClose.isActive());
}

TEST(QuestionBox, ALongMessageShowsWhole)
{
    TFormQuestion box;
    // Long enough to wrap, with a last line that a few pixels more width would take in.
    const QString text = QStringLiteral(
        "The computers allowed TCP/IP connections cannot be read. \"render-07\" is a computer's name, and "
        "the list holds no names: write its IP address instead, such as 192.168.1.7, or its network, "
        "such as 192.168.1.0/24. Leave the field empty to allow every computer.");
    bool whole = false;
    bool checkShown = false;
    WhenUp(&box, [&] {
        const QLabel* label = box.LabelQuestion;
        whole = label->height() >= label->heightForWidth(label->width())
            && label->geometry().bottom() < box.PanelBottom->geometry().top();
        checkShown = box.CheckBox->isVisible()
            && box.CheckBox->geometry().bottom() < box.PanelBottom->geometry().top();
        box.ButtonOk->click();
    });
    bool checked = false;
    box.AskWithCheck(text, QStringLiteral("Always"), false, checked);
    EXPECT_TRUE(whole);
    EXPECT_TRUE(checkShown);
}

TEST(QuestionBox, SecondRequestWhileOpenCountsAsAgreed)
{
    TFormQuestion box;
    bool inner = false;
    bool innerChecked = false;
    bool innerWithCheck = false;
    WhenUp(&box, [&] {
        inner = box.Ask(QStringLiteral("Again?"), true);
        innerWithCheck
            = box.AskWithCheck(QStringLiteral("Again?"), QStringLiteral("Always"), true, innerChecked);
        box.CheckBox->click();
        box.ButtonCancel->click();
    });
    bool checked = false;
    EXPECT_FALSE(box.AskWithCheck(QStringLiteral("Sure?"), QStringLiteral("Always"), true, checked));
    EXPECT_TRUE(inner);
    EXPECT_TRUE(innerWithCheck);
    EXPECT_FALSE(innerChecked);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(box.CheckBox->isHidden());
}

TEST(StringBox, OkGivesTheTextCancelGivesNothing)
{
    TFormString box;
    WhenUp(&box, [&] {
        box.EditString->setText(QStringLiteral("Farm note"));
        box.ButtonOk->click();
    });
    QString text;
    EXPECT_TRUE(box.AskText(QStringLiteral("Note"), text));
    EXPECT_EQ(text, QStringLiteral("Farm note"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Note"));

    QString offered;
    WhenUp(&box, [&] {
        offered = box.EditString->text();
        box.ButtonCancel->click();
    });
    EXPECT_FALSE(box.AskText(QStringLiteral("Note"), text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(offered, QStringLiteral("Farm note"));
}

TEST(DirectoryBox, StartsAtTheGivenDirectory)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TFormDirectory box;
    QString directory = dir.path();
    WhenUp(&box, [&] { box.ButtonOk->click(); });
    EXPECT_TRUE(box.Choose(directory));
    EXPECT_EQ(directory, dir.path());

    WhenUp(&box, [&] { box.ButtonCancel->click(); });
    EXPECT_FALSE(box.Choose(directory));
    EXPECT_EQ(directory, dir.path());
}

TEST(ProgressBox, BarAndMessageFollowThePosition)
{
    TFormProgress box;
    box.Cancelled = true;
    box.ShowProgress();
    EXPECT_FALSE(box.Cancelled);
    EXPECT_EQ(box.FullWidth(), box.width() - 16);
    EXPECT_EQ(box.DoneWidth(), 0);
    box.ShapeProgressMax->resize(204, box.ShapeProgressMax->height());

    box.MessageText = QStringLiteral("Copying image # ...");
    box.Minimum = 10;
    box.Maximum = 20;
    box.SetProgress(15);
    EXPECT_EQ(box.DoneWidth(), 100);
    box.SetProgress(25);
    EXPECT_EQ(box.Position, 20);
    EXPECT_EQ(box.DoneWidth(), 200);
    box.SetProgress(7);
    EXPECT_EQ(box.Position, 10);
    EXPECT_EQ(box.DoneWidth(), 0);
    EXPECT_EQ(box.LabelText(), QStringLiteral("Copying image 10 ..."));

    box.Minimum = 0;
    box.SetProgress(7);
    EXPECT_EQ(box.LabelText(), QStringLiteral("Copying image 7 ..."));

    // Products beyond 32 bits.
    box.Minimum = INT_MIN;
    box.Maximum = INT_MAX;
    box.SetProgress(INT_MAX - 1);
    EXPECT_EQ(box.DoneWidth(), 199);
    box.Minimum = 0;
    box.Maximum = 50'000'000;
    box.SetProgress(25'000'000);
    EXPECT_EQ(box.DoneWidth(), 100);

    box.Minimum = box.Maximum = 5;
    box.SetProgress(5);
    EXPECT_EQ(box.DoneWidth(), 0);

    box.ButtonCancel->click();
    EXPECT_TRUE(box.Cancelled);
    box.close();
}

TEST(WindowPeople, ForwardsAndNestsTheHourglass)
{
    TWindowPeople people;
    QList<TView> refreshed;
    people.RefreshRequested = [&](TView view) { refreshed.append(view); };
    people.Refresh(TView::Events);
    EXPECT_EQ(refreshed, QList<TView> { TView::Events });

    people.Busy(true);
    people.Busy(true);
    people.Busy(false);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    people.Busy(false);
    people.Busy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    EXPECT_GT(people.MessageWidth(), 300);
    EXPECT_GT(people.TextWidth(QStringLiteral("WWWW")), people.TextWidth(QStringLiteral("W")));
}
