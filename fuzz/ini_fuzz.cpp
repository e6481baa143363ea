// Any bytes as an options file: read every setting, write them back, and check that what
// was written reads back the same.
#include "options/ini_file.h"
#include "options/options.h"
#include "support/text_file.h"

#include <cstdint>
#include <cstdlib>

namespace {

TIniFile IniFromText(const QString& text)
{
    TIniFile ini;
    ini.SetLines(SplitTextLines(text));
    return ini;
}

QStringList SettingLines(const TOptions& options)
{
    TIniFile ini;
    options.WriteSettings(ini);
    return ini.Lines();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Gathering the system facts is slow and the same for every input.
    static TOptions options;
    static TOptions reread;

    const QString text = QString::fromLocal8Bit(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    TIniFile ini = IniFromText(text);
    options.ReadSettings(ini);
    options.WriteSettings(ini);

    const QString value = text.left(64);
    ini.WriteString(QStringLiteral("Options"), QStringLiteral("Fuzz"), value);
    QString expected = value;
    expected.replace(u'\r', u' ').replace(u'\n', u' ');
    while (expected.startsWith(u' ') || expected.startsWith(u'\t'))
        expected.remove(0, 1);
    while (expected.endsWith(u' ') || expected.endsWith(u'\t'))
        expected.chop(1);

    const TIniFile written = IniFromText(ini.Lines().join(QStringLiteral("\r\n")));
    if (written.ReadString(QStringLiteral("Options"), QStringLiteral("Fuzz"), QString()) != expected)
        std::abort();
    reread.ReadSettings(written);
    if (SettingLines(reread) != SettingLines(options))
        std::abort();
    return 0;
}
