#include "model/scene_choice.h"

#include "model/computer.h"
#include "model/scene_list.h"

namespace {

QString ComputerKey(const QString& name, const QString& sceneFile)
{
    return name + u'\n' + sceneFile;
}

} // namespace

void TSceneChoice::CountNodes(const TComputerList& nodes)
{
    FNodeCount = nodes.Count();
    FOnScene.clear();
    FOnSceneOfComputer.clear();
    for (int i = 0; i < nodes.Count(); ++i) {
        const TComputer& node = nodes.Item(i);
        ++FOnScene[node.SceneString];
        ++FOnSceneOfComputer[ComputerKey(node.Name, node.SceneString)];
    }
}

void TSceneChoice::MoveNode(TComputer& node, const TScene& scene)
{
    if (node.SceneString != scene.Filename) {
        --FOnScene[node.SceneString];
        --FOnSceneOfComputer[ComputerKey(node.Name, node.SceneString)];
        ++FOnScene[scene.Filename];
        ++FOnSceneOfComputer[ComputerKey(node.Name, scene.Filename)];
    }
    node.SceneString = scene.Filename;
    node.SceneId = scene.ID;
}

int TSceneChoice::OnSceneOfComputer(const QString& name, const QString& sceneFile) const
{
    return FOnSceneOfComputer.value(ComputerKey(name, sceneFile));
}

bool TSceneChoice::Accepts(const TScene& scene, const TComputer& node) const
{
    return scene.MayRenderOn(
        node, FNodeCount, OnScene(scene.Filename), OnSceneOfComputer(node.Name, scene.Filename));
}

TScene* TSceneChoice::ChooseScene(TSceneList& scenes, const TComputer& node) const
{
    for (int i = 0; i < scenes.Count(); ++i) {
        TScene& scene = scenes.Item(i);
        if (Accepts(scene, node))
            return &scene;
    }
    return nullptr;
}
