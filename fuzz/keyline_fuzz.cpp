// Key lines: the first line of the input is the key, every further line is tried against it.
// Whatever matches must agree with the line, and a built line must read back.
#include "support/record_text.h"
#include "fuzz_tools.h"

#include <cstdint>
#include <cstdlib>

namespace {

void TryLine(const QString& key, const QString& line)
{
    const QString bare = QString(key).remove(u' ');
    QString value = QStringLiteral("-");
    const bool matched = ReadKeyValue(key, line, value);
    if (matched)
        Check(line.startsWith(bare) && value == line.mid(bare.size() + 1));
    else
        Check(value == QStringLiteral("-"));

    int number = 12345;
    if (ReadKeyInteger(key, line, number)) {
        Check(matched);
        int again = 0;
        Check(TextToInteger(value, again) && again == number);
    } else {
        Check(number == 12345);
    }

    bool flag = false;
    if (ReadKeyBoolean(key, line, flag))
        Check(matched && (value.endsWith(u'1') == flag));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text
        = QString::fromLocal8Bit(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = text.split(u'\n');
    const QString& key = lines.first();

    // The key is copied per line here, so a few hundred lines are plenty.
    for (qsizetype i = 1; i < lines.size() && i <= 256; ++i) {
        TryLine(key, lines[i]);
        QString value;
        Check(ReadKeyValue(key, SceneLine(key, lines[i]), value) && value == lines[i]);
    }
    TryLine(key, key);
    return 0;
}
