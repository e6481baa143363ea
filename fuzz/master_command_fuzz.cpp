// Any bytes as a command the Master pushed over TCP/IP, carried out by a Remote with a few
// scenes and nodes. Bytes that are no command become the arguments of a Remote's command, so
// the readers behind each one see arbitrary lines too.
#include "farm/discovery.h"
#include "farm/farm.h"
#include "farm/master_command.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/people.h"
#include "support/record_text.h"
#include "support/text_file.h"
#include "fuzz_tools.h"

#include <QTemporaryDir>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

const QTemporaryDir& Scratch()
{
    static const QTemporaryDir dir;
    return dir;
}

// Indexed by the first byte: a list of lines beginning with "2", "6" ... reads as lists.
constexpr std::array<int, 4> RemoteCodes = { ProgramSurprise, ComputersStart, Lists, ProgramExit };

TCommand CommandOf(const QByteArray& bytes)
{
    const QStringList lines = SplitTextLines(DecodeText(bytes));
    TCommand command;
    if (command.FromLines(lines))
        return command;
    command = TCommand(bytes.isEmpty() ? Lists : RemoteCodes[static_cast<uint8_t>(bytes[0]) % RemoteCodes.size()]);
    command.Arguments = lines;
    return command;
}

bool ColourPartValid(int value)
{
    return value >= 0 && value <= 255;
}

// Lists the Remote took must be the lists it shows the next time: written and read again,
// they write the same lines.
void CheckListsReadBack(TFarm& farm)
{
    QStringList written;
    SaveState(farm.Scenes, farm.Computers, written);
    TSceneList scenes;
    TComputerList computers(farm.Clock);
    if (!LoadState(scenes, written, computers) || scenes.Count() != farm.Scenes.Count()
        || computers.Count() != farm.Computers.Count())
        std::abort();
    QStringList again;
    SaveState(scenes, computers, again);
    if (again != written)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TCommand command = CommandOf(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    TOptions options;
    options.Master = false;
    options.ScreamerDirectory = Scratch().path();
    options.ContentDirectory = Scratch().path();
    options.ScreamerName = QStringLiteral("Remote");
    options.ScreamerNumbers = QStringLiteral("1 2 3");
    // A node program that is not there: a start is tried, nothing runs.
    options.ScreamerFilename = JoinPath(Scratch().path(), QStringLiteral("no-node-program"));
    options.LookColorR = 10;
    options.LookColorG = 20;
    options.LookColorB = 30;
    TSilentPeople people;
    TManualClock clock;
    TFarm farm(options, people, clock);
    farm.Screamers.Sync(options.ScreamerNumbers);
    TDiscovery discovery(farm);
    for (int id = 1; id <= 2; ++id) {
        auto scene = std::make_unique<TScene>(options.ContentDirectory);
        scene->Filename = JoinPath(Scratch().path(), QStringLiteral("shot%1.lws").arg(id));
        scene->ID = id;
        farm.Scenes.Add(std::move(scene), false);
    }
    for (int number = 1; number <= 3; ++number) {
        auto node = std::make_unique<TComputer>();
        node->Number = number;
        farm.Computers.Add(std::move(node));
    }
    const int scenesBefore = farm.Scenes.Count();
    const int computersBefore = farm.Computers.Count();

    bool used = true;
    try {
        used = ExecuteMasterCommand(farm, discovery, command);
    } catch (const EInOutError&) {
        // As on the Remote's link: the command ends, the farm stays.
    }

    if (command.Command == Lists) {
        if (!used && (farm.Scenes.Count() != scenesBefore || farm.Computers.Count() != computersBefore))
            std::abort();
        int announced = -1;
        if (used && (!TextToInteger(command.Arguments.value(0), announced) || announced != farm.Scenes.Count()))
            std::abort();
        if (used)
            CheckListsReadBack(farm);
    }
    if (!ColourPartValid(options.LookColorR) || !ColourPartValid(options.LookColorG)
        || !ColourPartValid(options.LookColorB))
        std::abort();
    if (!used && command.Command != Lists)
        std::abort();
    farm.Scenes.TotalFrames();
    return 0;
}
