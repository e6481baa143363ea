// Any bytes as a scene list: load it, write it back, and check that what was written loads
// back to the same text.
#include "model/scene_list.h"
#include "model/scene_record.h"
#include "support/text_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TSceneList list;
    LoadFromLines(list, SplitTextLines(DecodeText(bytes)));
    // Writing many scenes costs far more than reading them; the round trip needs only a few.
    if (list.Count() > 64)
        return 0;
    QStringList written;
    SaveToLines(list, written);
    TSceneList reread;
    LoadFromLines(reread, written);
    QStringList again;
    SaveToLines(reread, again);
    if (again != written)
        std::abort();
    return 0;
}
