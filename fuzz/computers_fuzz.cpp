// Any bytes as a computer-list file: never more records than lines, the list sorted by number, and
// what is written reads back into the same text.
#include "model/computer.h"
#include "support/text_file.h"
#include "fuzz_tools.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = SplitTextLines(DecodeText(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))));
    TComputerList list;
    list.LoadFromLines(lines);
    Check(list.Count() <= lines.size());
    for (int i = 0; i < list.Count(); ++i) {
        const TComputer& computer = list.Item(i);
        Check(i == 0 || list.Item(i - 1).Number <= computer.Number);
        Check(computer.StateCode() >= TNodeState::Initializing && computer.StateCode() <= TNodeState::Other);
        Check(computer.PlatformCode() >= 0 && computer.PlatformCode() <= 3);
    }
    QStringList report;
    list.ReportLines(report);

    // Writing many records costs far more than reading them; the round trip needs only a few.
    if (list.Count() > 64)
        return 0;
    QStringList written;
    list.SaveToLines(written);
    TComputerList reread;
    reread.LoadFromLines(written);
    QStringList rewritten;
    reread.SaveToLines(rewritten);
    Check(rewritten == written);
    return 0;
}
