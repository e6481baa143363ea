#include "options/options.h"
#include "support/text_file.h"
#include "ui/check_config.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList Shown(const TFormCheckConfig& box)
{
    QStringList names;
    for (int row = 0; row < box.ListBoxExtensions->count(); ++row)
        names << box.ListBoxExtensions->item(row)->text();
    return names;
}

TOptions ConfigIn(const QTemporaryDir& directory)
{
    TOptions options(directory.filePath(QStringLiteral("Farm.ini")));
    options.ScreamerConfig = directory.path();
    options.ConfigNumber = QStringLiteral("3");
    options.ReadLightWaveConfig();
    return options;
}

} // namespace

TEST(CheckConfig, NoConfigurationShowsNoneAndNoSavers)
{
    QTemporaryDir directory;
    const TOptions options = ConfigIn(directory);
    TFormCheckConfig box;
    box.ListBoxExtensions->addItem(QStringLiteral("left from before"));
    box.Fill(options);
    EXPECT_EQ(box.EditContentDirectory->text(), QStringLiteral("(none)"));
    EXPECT_EQ(box.ListBoxExtensions->count(), 0);
    EXPECT_FALSE(box.EditContentDirectory->isEnabled());
}

TEST(CheckConfig, SaversInFileOrderAndTheContentDirectory)
{
    QTemporaryDir directory;
    ASSERT_TRUE(WriteTextLines(
        directory.filePath(QStringLiteral("lw3.cfg")), { QStringLiteral("ContentDirectory /farm/content") }));
    ASSERT_TRUE(WriteTextLines(directory.filePath(QStringLiteral("lwext3.cfg")),
        { QStringLiteral("  Class \"ImageSaver\""), QStringLiteral("  Name \"LW_PNG(.png)\""),
            QStringLiteral("  Class \"ImageSaver\""), QStringLiteral("  Name \"_Targa(.tga)\""),
            QStringLiteral("  Class \"ImageSaver\""), QStringLiteral("  Name \"ExrTrader(.exr)\"") }));
    const TOptions options = ConfigIn(directory);
    TFormCheckConfig box;
    QString caption;
    QStringList shown;
    QTimer::singleShot(0, &box, [&] {
        caption = box.windowTitle();
        shown = Shown(box);
        box.ButtonOk->click();
    });
    box.ShowConfig(options);
    EXPECT_EQ(caption, QStringLiteral("Data retreived from Screamer config file..."));
    EXPECT_EQ(shown,
        QStringList({ QStringLiteral("LW_PNG(.png)"), QStringLiteral("_Targa(.tga)"),
            QStringLiteral("ExrTrader(.exr)") }));
    EXPECT_EQ(box.EditContentDirectory->text(), QStringLiteral("/farm/content"));
    EXPECT_FALSE(box.isVisible());
}
