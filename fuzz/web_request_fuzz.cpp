// Any request line to the status page: an answer always comes, with a known status, a type and a
// bounded body; JSON answers parse; nothing here changes the farm.
#include "farm/farm.h"
#include "fuzz_tools.h"
#include "options/options.h"
#include "support/clock.h"
#include "web/web_api.h"

#include <QJsonDocument>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray line = input.left(input.indexOf('\n'));
    const qsizetype space = line.indexOf(' ');
    const QByteArray method = space < 0 ? QByteArray("GET") : line.left(space);
    const QByteArray target = space < 0 ? line : line.mid(space + 1);

    static TOptions options;
    static TSilentPeople people;
    static TManualClock clock;
    static TFarm farm(options, people, clock);
    options.Master = true;
    if (farm.Events.Count() == 0)
        for (int i = 0; i < 5; ++i)
            farm.MasterEvent(QStringLiteral("Fuzz"), QStringLiteral("event %1").arg(i));
    const int events = farm.Events.Count();

    const TWebAnswer answer = AnswerWebRequest(farm, method, target);
    Check(answer.Status == 200 || answer.Status == 400 || answer.Status == 404 || answer.Status == 405);
    Check(!answer.ContentType.isEmpty());
    Check(answer.Body.size() < 1024 * 1024);
    if (answer.Status == 200 && answer.ContentType.startsWith("application/json"))
        Check(QJsonDocument::fromJson(answer.Body).isObject());
    Check(farm.Events.Count() == events);
    Check(WebPath(target).size() <= target.size());
    return 0;
}
