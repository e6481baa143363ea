// Any bytes as a command a Remote sent, carried out by a Master with a few scenes and nodes in a
// scratch directory.
#include "farm/command_executor.h"
#include "farm/discovery.h"
#include "farm/farm.h"
#include "options/options.h"
#include "remote/command.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/people.h"
#include "support/record_text.h"
#include "support/text_file.h"
#include "fuzz_tools.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

const QString SceneName = QStringLiteral("shot.lws");
const QStringList SceneLines = { QStringLiteral("LWSC"), QStringLiteral("3"), QString(),
    QStringLiteral("FirstFrame 1"), QStringLiteral("LastFrame 24"), QStringLiteral("FrameStep 1"),
    QStringLiteral("ShowCamera 1 2"), QStringLiteral("RenderMode 2"),
    QStringLiteral("SaveRGBImagesPrefix Images/shot"), QStringLiteral("RGBImageSaver LW_TGA24(.tga)") };

const QTemporaryDir& Scratch()
{
    static const QTemporaryDir dir;
    return dir;
}

// Only the scene file stays from one input to the next.
void ClearScratch()
{
    QDir dir(Scratch().path());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name != SceneName)
            dir.remove(name);
}

// The executor reads whatever files a command names and writes their copies beside them; the
// names of the input stay inside the scratch directory.
void KeepFilesInScratch(TCommand& command)
{
    qint64 count = 0;
    if (command.Command != ScenesAdd || command.Arguments.isEmpty()
        || !TextToInteger(command.Arguments[0], count))
        return;
    for (qsizetype k = 1; k <= count && k < command.Arguments.size(); ++k)
        command.Arguments[k] = JoinPath(Scratch().path(), ExtractName(command.Arguments[k]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TCommand command;
    if (!command.FromLines(SplitTextLines(DecodeText(
            QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))))))
        return 0;
    KeepFilesInScratch(command);

    const QString scene = JoinPath(Scratch().path(), SceneName);
    if (!WriteTextLines(scene, SceneLines))
        std::abort();
    TOptions options;
    options.Master = true;
    options.ScreamerDirectory = Scratch().path();
    options.ContentDirectory = Scratch().path();
    options.ScreamerName = QStringLiteral("Master");
    options.MasterScreamerComputers = 3;
    TSilentPeople people;
    TClock clock;
    TFarm farm(options, people, clock);
    farm.Overview.SetItemCount(options.MasterScreamerComputers);
    TDiscovery discovery(farm);
    for (int id = 1; id <= 3; ++id) {
        auto queued = std::make_unique<TScene>(options.ContentDirectory);
        queued->ReadSceneFile(scene);
        queued->MakeSceneCopy(clock.Now());
        queued->ID = id;
        queued->Settings.Priority = id;
        farm.Scenes.Add(std::move(queued), false);
    }
    for (int number = 1; number <= 2; ++number) {
        auto node = std::make_unique<TComputer>();
        node->Number = number;
        node->SceneId = number;
        node->Frames = QStringLiteral("1 4 1");
        farm.Computers.Add(std::move(node));
    }

    bool scenesChanged = false;
    bool computersChanged = false;
    try {
        ExecuteRemoteCommand(farm, discovery, command, scenesChanged, computersChanged);
    } catch (const EInOutError&) {
        // A job file that cannot be written ends the command, as on a Master's tick.
    }
    farm.Scenes.TotalFrames();
    ClearScratch();
    return 0;
}
