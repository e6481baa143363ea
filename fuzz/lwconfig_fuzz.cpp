// Any bytes as LightWave's main and plug-in configuration files.
#include "options/lightwave_config.h"
#include "support/text_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = SplitTextLines(QString::fromLocal8Bit(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))));
    QString directory;
    ContentDirectoryFromConfig(lines, directory);
    const QStringList savers = ImageSaversFromConfig(lines);
    return savers.size() > lines.size() ? 1 : 0;
}
