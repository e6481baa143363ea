// Any bytes as a LightWave scene file: read it, hand out its pieces, name its frames and
// rewrite it as a private copy.
#include "model/scene.h"
#include "options/options.h"
#include "support/text_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = SplitTextLines(DecodeText(bytes));
    TScene scene(QStringLiteral("/content"));
    scene.ReadSceneLines(lines);
    scene.WarningsText();
    // A copy rewritten with the scene's own options is the scene, byte for byte.
    if (scene.RewriteSceneBytes(bytes) != bytes)
        std::abort();
    scene.Data.RenderMode = 7;
    scene.Data.DataOverlay = -1;
    scene.Data.SaveRGBImagesPrefix = QStringLiteral("/out/f");
    scene.Data.SaveAlphaImagesPrefix = NoneText;
    scene.RewriteSceneBytes(bytes);
    for (int frame : { -1, 0, 7, 2147483647 }) {
        scene.FrameFileName(frame, TFrameKind::RGB, QString());
        scene.FrameFileName(frame, TFrameKind::Alpha, QStringLiteral("/options"));
    }
    // Every piece costs constant time, so a bounded number of them always ends.
    const int count = size > 0 ? data[0] : 1;
    for (int piece = 0; piece < 1000 && !scene.NextFramesText(count).isEmpty(); ++piece) {
        scene.PercentDone();
        scene.FramesLeft();
    }
    scene.TotalFrames();
    return 0;
}
