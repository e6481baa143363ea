// kestrion-cli's arguments, one per line: whatever they hold, a parse either names a command
// that can run or says why not, a frame range it takes is ordered with a step of at least 1,
// and every number list it takes is clean.
#include "app/cli_arguments.h"
#include "fuzz_tools.h"
#include "support/number_list.h"
#include "support/text_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList arguments = SplitTextLines(DecodeText(bytes));
    const TCliArguments parsed = ParseCliArguments(arguments);
    if (!parsed.Help && !parsed.Version && parsed.Error.isEmpty()) {
        Check(parsed.Command != TCliCommand::None);
        Check(parsed.TimeoutSeconds >= 1);
        const TSubmitSwitches& s = parsed.Submit;
        Check(!s.Range || (s.First <= s.Last && s.Step >= 1));
        for (const auto& list : { s.Singles, s.Nodes })
            Check(!list || (!list->isEmpty() && CleanNumberList(*list) == *list));
        Check(!s.Percent || (*s.Percent >= 1 && *s.Percent <= 100));
    }
    // The whole input as one frame range.
    int first = 0;
    int last = 0;
    int step = 0;
    if (ParseFrameRange(DecodeText(bytes), first, last, step))
        Check(first <= last && step >= 1);
    return 0;
}
