// Any bytes as the Master's state snapshot: scenes and computers.
#include "model/computer.h"
#include "model/scene_list.h"
#include "model/scene_record.h"
#include "support/text_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TSceneList list;
    TComputerList computers;
    LoadState(list, SplitTextLines(DecodeText(bytes)), computers);
    list.TotalFrames();
    list.FramesLeft();
    return 0;
}
