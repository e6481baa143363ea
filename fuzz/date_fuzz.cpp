// Date-times read from records: any text either makes a moment that writes back to the
// same numbers, or leaves the moment alone; any double writes a text that reads back.
#include "support/record_text.h"
#include "fuzz_tools.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void CheckWrittenReadsBack(TDateTime moment)
{
    const QString text = DateTimeToRecordText(moment);
    TDateTime back = -7;
    Check(RecordTextToDateTime(text, back));
    Check(DateTimeToRecordText(back) == text);
    DateTimeToQt(moment);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text
        = QString::fromLocal8Bit(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    TDateTime moment = -7;
    if (RecordTextToDateTime(text, moment)) {
        CheckWrittenReadsBack(moment);
        TDateTime again = -7;
        Check(RecordTextToDateTime(DateTimeToRecordText(moment), again) && again == moment);
    } else {
        Check(moment == -7);
    }

    TDateTime keyed = -7;
    Check(ReadKeyDateTime(QStringLiteral("TimeAdd"), QStringLiteral("TimeAdd=") + text, keyed));
    Check(keyed == moment);

    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        CheckWrittenReadsBack(raw);
    }
    return 0;
}
