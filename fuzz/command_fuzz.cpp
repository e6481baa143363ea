// Any bytes as a command: whatever parses is written back into lines that parse to the same
// command, and every command writes lines that parse.
#include "remote/command.h"
#include "support/text_file.h"
#include "fuzz_tools.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool Same(const TCommand& a, const TCommand& b)
{
    return a.Command == b.Command && a.SenderName == b.SenderName && a.SenderScreamers == b.SenderScreamers
        && a.SenderMemory == b.SenderMemory && a.Arguments == b.Arguments;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = SplitTextLines(DecodeText(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))));
    TCommand command;
    const bool parsed = command.FromLines(lines);
    Check(command.Command >= 0 && command.Command <= NoCommand);
    Check(parsed || command.Arguments.isEmpty() || lines.value(0) == CommandHeader);

    QStringList written;
    command.ToLines(written);
    TCommand reread;
    Check(reread.FromLines(written));
    Check(Same(reread, command));
    return 0;
}
