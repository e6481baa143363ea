// Any bytes in a node's ack file: read as an acknowledgement or as none, never a crash.
#include "model/node_channel.h"
#include "options/options.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static TOptions options;
    options.ScreamerDirectory = dir.path();
    QFile file(AckFileName(options, 1));
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    TAck ack;
    if (ReadAck(options, 1, ack) && ack.State.isEmpty())
        __builtin_trap();
    return 0;
}
