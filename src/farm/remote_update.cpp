#include "farm/remote_update.h"

#include "farm/farm.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/people.h"

QString LastUpdateText(TDateTime moment)
{
    return QStringLiteral("Last Update ") + ClockText(moment);
}

bool UpdateFromMaster(TFarm& farm)
{
    bool read = true;
    const TOptions& options = farm.Options;
    if (!options.TcpIpInUse()) {
        farm.People.Busy(true);
        farm.People.SetStatus(TStatusPanel::Clock, LastUpdateText(farm.Now()));
        farm.Scenes.Clear();
        read = LoadSceneList(farm.Scenes, options.StateScenesFile());
        farm.People.Refresh(TView::Scenes);
        farm.Computers.Clear();
        read = farm.Computers.LoadFromFile(options.StateComputersFile()) && read;
        farm.People.Refresh(TView::Computers);
        farm.People.Busy(false);
    }
    farm.Send(ProgramUpdate);
    return read;
}
