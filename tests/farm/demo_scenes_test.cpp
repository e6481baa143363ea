// The demo's scenes look like a farm's: their frames go to a directory named in full.
#include "demo/demo_farm.h"
#include "model/scene.h"
#include "options/options.h"
#include "support/paths.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(DemoScenes, WriteTheirFramesUnderAnAbsolutePath)
{
    QTemporaryDir dir;
    const TDemoFarm farm = DemoFarmPaths(dir.path(), QStringLiteral("/bin/true"));
    QString error;
    ASSERT_TRUE(MakeDemoFarm(farm, error)) << error.toStdString();
    QStringList paths { farm.ScenePath };
    for (const TDemoScene& extra : DemoExtraScenes)
        paths << JoinPath(ExtractDirectory(farm.ScenePath), extra.Name + QStringLiteral(".lws"));
    for (const QString& path : paths) {
        TScene scene(NoneText);
        ASSERT_TRUE(scene.ReadSceneFile(path));
        EXPECT_EQ(scene.WarningsText(), QString()) << path.toStdString();
        EXPECT_TRUE(scene.FrameFileName(1, TFrameKind::RGB, NoneText)
                        .startsWith(JoinPath(farm.ContentDirectory, QStringLiteral("Renders/"))));
    }
}

} // namespace
