#include "options/lightwave_config.h"

#include "support/record_text.h"

namespace {

constexpr QStringView ImageSaverClassLine = u"  Class \"ImageSaver\"";

QString ImageSaverName(const QString& line)
{
    const qsizetype quote = line.indexOf(u'"');
    if (quote < 0)
        return QString();
    const qsizetype close = line.indexOf(u')', quote + 1);
    if (close < 0)
        return QString();
    return line.mid(quote + 1, close - quote);
}

} // namespace

bool ContentDirectoryFromConfig(const QStringList& lines, QString& directory)
{
    bool found = false;
    const QString key = QStringLiteral("ContentDirectory");
    QString value;
    for (const QString& line : lines) {
        if (ReadKeyValue(key, line, value)) {
            directory = value;
            found = true;
        }
    }
    return found;
}

QStringList ImageSaversFromConfig(const QStringList& lines)
{
    QStringList savers;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == ImageSaverClassLine)
            savers.append(ImageSaverName(lines[i + 1]));
    }
    return savers;
}
