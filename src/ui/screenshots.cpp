#include "ui/screenshots.h"

#include "ui/check_config.h"
#include "ui/farm_grid.h"
#include "ui/frame_manager.h"
#include "ui/info_window.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/scene_edit.h"
#include "ui/screamers_dialog.h"

#include "options/options.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

namespace {

// Long enough for the nodes to register and render part of the queue.
constexpr int DelayMs = 14000;

void Save(QWidget& widget, const QString& directory, const QString& name)
{
    QCoreApplication::processEvents();
    widget.grab().save(QDir(directory).filePath(name));
}

void TakeScreenshots(TFormKestrion& window, const QString& directory)
{
    QDir().mkpath(directory);
    // A pointer resting on a grid row would fill the info window with that row's node or scene.
    QCursor::setPos(window.screen()->geometry().bottomRight());
    window.resize(900, 420);
    window.RefreshViews();
    window.ShowView(TView::Scenes);
    window.GridScenes().SelectRows(0, 0);
    Save(window, directory, QStringLiteral("scenes.png"));
    window.ShowView(TView::Computers);
    Save(window, directory, QStringLiteral("computers.png"));
    window.ShowView(TView::Events);
    Save(window, directory, QStringLiteral("events.png"));
    window.ShowView(TView::Scenes);
    if (window.Farm().Scenes.Count() > 0)
        window.Info().ShowScene(
            window.Farm().Scenes.Item(0), window.Farm().Options.ContentDirectory, window.Farm().Computers);
    // The page a user looks at most: what the scene renders and how.
    window.Info().findChild<QTabWidget*>()->setCurrentIndex(TFormInfo::PageRender);
    window.Info().show();
    Save(window.Info(), directory, QStringLiteral("info.png"));
    TFormCheckConfig checkConfig(&window);
    checkConfig.Fill(window.Farm().Options);
    checkConfig.show();
    Save(checkConfig, directory, QStringLiteral("check_config.png"));
    checkConfig.hide();
    if (window.Farm().Scenes.Count() > 0) {
        const TScene& scene = window.Farm().Scenes.Item(0);
        TFormSceneEdit sceneEdit(window.Farm().Options, &window.Screamers(), &window);
        sceneEdit.ShowScene(scene, true);
        sceneEdit.show();
        for (const auto& [tab, name] : { std::pair(sceneEdit.TabRender, "scene_edit_render.png"),
                 std::pair(sceneEdit.TabCamera, "scene_edit_camera.png"),
                 std::pair(sceneEdit.TabOptions, "scene_edit_options.png") }) {
            sceneEdit.Tabs->setCurrentWidget(tab);
            Save(sceneEdit, directory, QString::fromLatin1(name));
        }
        sceneEdit.hide();
        TFormScenesFrames frames(window.Farm(), &window);
        frames.SetScene(scene.ID);
        frames.show();
        frames.Update();
        Save(frames, directory, QStringLiteral("frame_manager.png"));
        frames.hide();
    }
    TFormScreamers& screamers = window.Screamers();
    QTimer::singleShot(0, &screamers, [&screamers, directory] {
        Save(screamers, directory, QStringLiteral("screamers.png"));
        screamers.reject();
    });
    screamers.Execute(QStringLiteral("1 2"));
    TFormOptions options(window.Farm().Options, &window);
    window.ConnectOptionsDialog(options);
    options.ShowOptions();
    options.show();
    // The Remote's page too, which a Master's dialog hides.
    for (int page = 0; page < options.Tabs->count(); ++page)
        options.Tabs->setTabVisible(page, true);
    for (int page = 0; page < options.Tabs->count(); ++page) {
        options.Tabs->setCurrentIndex(page);
        Save(options, directory, QStringLiteral("options_%1.png").arg(options.Tabs->tabText(page).toLower()));
    }
    options.hide();
    window.ForceClose = true;
    window.close();
}

} // namespace

void TakeScreenshotsLater(TFormKestrion& window, const QString& directory)
{
    QTimer::singleShot(DelayMs, &window, [&window, directory] { TakeScreenshots(window, directory); });
}
