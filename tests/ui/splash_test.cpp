#include "model/computer.h"
#include "model/scene.h"
#include "ui/info_window.h"
#include "ui/jpeg_image.h"
#include "ui/splash.h"
#include "ui/tray.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QByteArray SplashBytes()
{
    LoadPictures();
    QFile file(QStringLiteral(":/splash.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Splash, DecodesOurPictureAndRefusesDamagedBytes)
{
    const QByteArray bytes = SplashBytes();
    const QImage picture = DecodeJpeg(bytes);
    EXPECT_EQ(picture.size(), QSize(640, 460));

    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("not a picture at all")).isNull());
    // Cut short: libjpeg would fill the rest with grey.
    EXPECT_TRUE(DecodeJpeg(bytes.left(bytes.size() / 2)).isNull());
    QByteArray scrambled = bytes;
    for (qsizetype i = 600; i < scrambled.size(); i += 97)
        scrambled[i] = char(0xFF);
    EXPECT_TRUE(DecodeJpeg(scrambled).isNull());
}

TEST(Splash, ClosesOnKeyClickAndTimer)
{
    TFormSplash splash;
    EXPECT_EQ(splash.size(), QSize(640, 480));
    EXPECT_TRUE(splash.findChild<QLabel*>()->pixmap().size() == QSize(640, 460));

    splash.ShowModeless();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    EXPECT_TRUE(splash.CloseTimer().isActive());
    QTest::keyClick(&splash, Qt::Key_Space);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.CloseTimer().isActive());

    splash.ShowModeless();
    QTest::mouseClick(splash.findChild<QLabel*>(), Qt::LeftButton);
    EXPECT_FALSE(splash.isVisible());

    // The modal About box ends by itself after 5 seconds; shortened here once it is seen running.
    int interval = 0;
    QTimer::singleShot(0, &splash, [&splash, &interval] {
        interval = splash.CloseTimer().isActive() ? splash.CloseTimer().interval() : 0;
        splash.CloseTimer().setInterval(10);
    });
    splash.ShowSplash();
    EXPECT_EQ(interval, 5000);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(VersionLabelText(), QStringLiteral("v4.0 ") + BuildNickname);
}

TEST(InfoWindow, EachViewShowsItsPagesAndRemembersOne)
{
    TFormInfo info;
    EXPECT_EQ(info.windowTitle(), QStringLiteral("Info"));
    info.SelectView(TView::Scenes);
    EXPECT_EQ(info.VisiblePages(), QStringList({ "General", "Scene", "Render", "Camera", "Options" }));
    EXPECT_EQ(info.CurrentPage(), TFormInfo::PageGeneral);
    info.findChild<QTabWidget*>()->setCurrentIndex(TFormInfo::PageCamera);

    info.SelectView(TView::Computers);
    EXPECT_EQ(info.VisiblePages(), QStringList({ "General", "Data" }));
    EXPECT_EQ(info.CurrentPage(), TFormInfo::PageGeneral);
    info.findChild<QTabWidget*>()->setCurrentIndex(TFormInfo::PageData);

    info.SelectView(TView::Events);
    EXPECT_EQ(info.VisiblePages(), QStringList({ "General" }));
    info.SelectView(TView::Scenes);
    EXPECT_EQ(info.CurrentPage(), TFormInfo::PageCamera);
    info.SelectView(TView::Computers);
    EXPECT_EQ(info.CurrentPage(), TFormInfo::PageData);

    // Only the user's close button switches the window off, not the program closing it.
    QSignalSpy closed(&info, &TFormInfo::Closed);
    info.show();
    info.close();
    EXPECT_EQ(closed.count(), 0);
}

// The values a demo scene shows, each whole at the window's default size.
TEST(InfoWindow, TextsFitAtItsDefaultSize)
{
    TScene scene;
    scene.Filename = QStringLiteral("/tmp/kestrion-demo-kgJNKY/content/Scenes/city_flyby.lws");
    scene.KestrionFilename = QStringLiteral("/tmp/kestrion-demo-kgJNKY/commands/Scene0004.lns");
    scene.Data.SaveRGBImagesPrefix = QStringLiteral("/tmp/kestrion-demo-kgJNKY/content/Renders/city_");
    scene.Data.RGBImageSaver = QStringLiteral("LW_PNG(.png)");
    scene.Data.SaveAlphaImagesPrefix
        = QStringLiteral("/tmp/kestrion-demo-kgJNKY/content/Renders/city_alpha_");
    scene.Data.AlphaImageSaver = QStringLiteral("LW_TGA32(.tga)");
    scene.Data.RenderMode = 2;
    scene.Data.RayTraceEffects = 3;
    scene.Data.RayRecursionLimit = 12;
    TFormInfo info;
    info.ShowScene(scene, QStringLiteral("/tmp/kestrion-demo-kgJNKY/content"), TComputerList());
    info.show();
    auto* pages = info.findChild<QTabWidget*>();
    for (int page = TFormInfo::PageScene; page <= TFormInfo::PageOptions; ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        for (const QLabel* value : pages->currentWidget()->findChildren<QLabel*>()) {
            if (value->wordWrap())
                EXPECT_GE(value->height(), value->heightForWidth(value->width()))
                    << value->text().toStdString();
            else
                EXPECT_GE(
                    value->contentsRect().width(), value->fontMetrics().horizontalAdvance(value->text()))
                    << value->text().toStdString();
        }
    }
}

// The warning line's caption shows only with a warning after it.
TEST(InfoWindow, WarningCaptionOnlyWithAWarning)
{
    TFormInfo info;
    const auto* caption = info.findChild<QLabel*>(QStringLiteral("Warning"));
    ASSERT_NE(caption, nullptr);
    EXPECT_TRUE(caption->isHidden());
    TComputer computer;
    info.ShowComputer(computer, QStringLiteral("No crash detection possible"));
    EXPECT_FALSE(caption->isHidden());
    info.ShowComputer(computer, QString());
    EXPECT_TRUE(caption->isHidden());
}

TEST(Tray, MenuAndStartEntry)
{
    TTrayIcon tray;
    QStringList captions;
    for (const QAction* action : tray.Menu()->actions())
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(captions, QStringList({ "&Add scene", "&Start screamer", "-", "&Maximize", "&Close" }));

    QSignalSpy start(&tray, &TTrayIcon::StartScreamer);
    tray.SetStartEntry(QStringLiteral("Start Screamer 3"), true, 2);
    tray.StartEntry()->trigger();
    ASSERT_EQ(start.count(), 1);
    EXPECT_EQ(start.at(0).at(0).toInt(), 2);
    tray.SetStartEntry(QStringLiteral("All Screamers Started"), false, 0);
    EXPECT_FALSE(tray.StartEntry()->isEnabled());
}

} // namespace
