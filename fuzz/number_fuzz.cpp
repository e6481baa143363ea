// Number lists: cleaning yields digits and single spaces, and taking every number of any
// text ends after at most one step per character.
#include "support/number_list.h"
#include "support/record_text.h"
#include "fuzz_tools.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool IsClean(const QString& list)
{
    if (list.startsWith(u' ') || list.endsWith(u' ') || list.contains(QStringLiteral("  ")))
        return false;
    for (const QChar c : list)
        if (c != u' ' && (c < u'0' || c > u'9'))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text
        = QString::fromLocal8Bit(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QString rest = text;
    qsizetype steps = 0;
    while (!rest.isEmpty()) {
        TakeNumber(rest);
        Check(++steps <= text.size());
    }

    const QString clean = CleanNumberList(text);
    Check(IsClean(clean));
    Check(CleanNumberList(clean) == clean);

    // Every number taken from a clean list is found in it, as long as it was written plainly.
    rest = clean;
    int taken = 0;
    while (!rest.isEmpty()) {
        const QString token = rest.left(rest.indexOf(u' '));
        const int number = TakeNumber(rest);
        if (taken < 64 && token == QString::number(number))
            Check(NumberInList(number, clean));
        ++taken;
    }
    Check(taken == CountNumbers(clean));
    return 0;
}
