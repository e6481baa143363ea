#include "ui/look.h"

#include "model/computer.h"

#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QColor Background(const QWidget* widget)
{
    return widget->palette().color(QPalette::Window);
}

} // namespace

TEST(Look, ShadesAtTheEndsOfTheRange)
{
    SetLookColor(ColorRef(0, 0, 0));
    EXPECT_EQ(LookBright(), QColor(160, 160, 160));
    EXPECT_EQ(LookLight(), QColor(64, 64, 64));
    EXPECT_EQ(LookPale(), QColor(127, 127, 127));

    SetLookColor(ColorRef(255, 255, 255));
    EXPECT_EQ(LookPale(), QColor(255, 255, 255));
    EXPECT_EQ(LookBright(), QColor(223, 223, 223));
    EXPECT_EQ(LookLight(), QColor(127, 127, 127));
    EXPECT_EQ(LookThird(), QColor(85, 85, 85));

    // Red is the lowest byte, as the options store it.
    SetLookColor(0x00302010);
    EXPECT_EQ(LookBase(), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(LookAlert(), QColor(250, 0x20, 0x30));
    EXPECT_EQ(LookHalfRef(), ColorRef(8, 16, 24));
    int r, g, b;
    SplitColour(0x00302010, r, g, b);
    EXPECT_EQ(QColor(r, g, b), QColor(0x10, 0x20, 0x30));
}

TEST(Look, StateSquaresShiftThePackedHalfShade)
{
    SetLookColor(ColorRef(250, 0, 0));
    EXPECT_EQ(StateSquareColour(TNodeState::Initializing), QColor(175, 0, 0));
    EXPECT_EQ(StateSquareColour(TNodeState::SettingContent), QColor(254, 254, 254));
    EXPECT_EQ(StateSquareColour(TNodeState::Other), QColor(254, 254, 254));

    // Half shade (0, 100, 100) is 0x646400; less 0x323232 is 0x3231CE: red borrows from green.
    SetLookColor(ColorRef(0, 200, 200));
    EXPECT_EQ(StateSquareColour(TNodeState::Offline), QColor(0xCE, 0x31, 0x32));
    EXPECT_EQ(StateSquareColour(TNodeState::Rendering), QColor(50, 150, 150));
}

TEST(Look, ApplyLookTintsByKind)
{
    SetLookColor(ColorRef(40, 80, 120));
    QDialog window;
    auto* outer = new TPanel(&window);
    auto* holder = new QWidget(outer); // a layout container between two panels
    auto* inner = new TPanel(holder);
    auto* edit = new QLineEdit(inner);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(outer);

    ApplyLook(&window);
    EXPECT_EQ(Background(&window), LookBright());
    EXPECT_EQ(Background(outer), LookBase());
    EXPECT_EQ(Background(inner), LookPale());
    EXPECT_TRUE(inner->autoFillBackground());
    EXPECT_FALSE(holder->autoFillBackground());
    EXPECT_EQ(edit->palette().color(QPalette::Base), LookLight());
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_EQ(edit->palette().color(QPalette::Disabled, QPalette::Base), LookBright());
    EXPECT_EQ(edit->palette().color(QPalette::Disabled, QPalette::Text), LookLight());
    SetLookColor(0);
}
