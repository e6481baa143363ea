#include "farm/verification.h"

#include "model/scene.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/people.h"
#include "support/text_routines.h"

QString MissingFramesText(const TScene& scene, const QString& missing, const TPeople& people)
{
    const auto width = [&people](const QString& text) { return people.TextWidth(text); };
    return QString::number(CountNumbers(missing)) + QStringLiteral(" frames of scene ")
        + ExtractName(scene.Filename) + QStringLiteral(" not found: ") + u'\n'
        + FitText(width, missing, people.MessageWidth());
}

TVerifyResult VerifyScene(
    TScene& scene, bool automatic, TPeople& people, const QString& fallbackContentDirectory, const QString& held)
{
    TVerifyResult result;
    result.Missing = scene.MissingFrames(!automatic, fallbackContentDirectory, &result.Unreadable);
    if (!held.isEmpty())
        result.Missing = WithoutNumbers(result.Missing, held);
    if (!result.Unreadable.isEmpty()) {
        if (!automatic)
            people.Ask(UnreadableOutputText.arg(result.Unreadable.join(u'\n')), false);
        return result;
    }
    if (result.Missing.isEmpty()) {
        // Pieces still being rendered are not on disk yet: the scene is verified after them.
        if (!held.isEmpty())
            return result;
        scene.Verified = true;
        return result;
    }
    if (!automatic
        && !people.Ask(MissingFramesText(scene, result.Missing, people)
                + QStringLiteral("\nAdd these frames to render again?"),
            true))
        return result;
    // A frame already waiting in the list is not queued a second time.
    scene.Settings.MissingList = AddNewNumbers(scene.Settings.MissingList, result.Missing);
    if (automatic)
        ++scene.VerifyTimes;
    else
        scene.Verified = false;
    result.QueueChanged = true;
    return result;
}
