#include "support/record_text.h"

#include <limits>

namespace {

template <typename TInteger> bool TextToWhole(QStringView text, TInteger& number)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+'))
        i = 1;
    if (i == text.size())
        return false;
    // A negative number may reach one past the largest value.
    quint64 value = 0;
    const quint64 limit = quint64(std::numeric_limits<TInteger>::max()) + (negative ? 1 : 0);
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
        if (value > limit)
            return false;
    }
    number = negative ? static_cast<TInteger>(0 - value) : static_cast<TInteger>(value);
    return true;
}

} // namespace

bool TextToInteger(QStringView text, int& number)
{
    return TextToWhole(text, number);
}

bool TextToInteger(QStringView text, qint64& number)
{
    return TextToWhole(text, number);
}

bool ReadKeyValue(const QString& key, const QString& line, QString& value)
{
    // Records try dozens of keys per line: most fail on their first character.
    if (!key.isEmpty() && key.front() != u' ' && (line.isEmpty() || line.front() != key.front()))
        return false;
    // Most keys hold no space and need no copy.
    const QString bare = key.contains(u' ') ? QString(key).remove(u' ') : key;
    if (!line.startsWith(bare))
        return false;
    if (line.size() == bare.size()) {
        value.clear();
        return true;
    }
    const QChar separator = line[bare.size()];
    if (separator != u' ' && separator != u'=')
        return false;
    value = line.mid(bare.size() + 1);
    return true;
}

bool ReadKeyInteger(const QString& key, const QString& line, int& number)
{
    QString value;
    return ReadKeyValue(key, line, value) && TextToInteger(value, number);
}

bool ReadKeyInteger(const QString& key, const QString& line, qint64& number)
{
    QString value;
    return ReadKeyValue(key, line, value) && TextToInteger(value, number);
}

bool ReadKeyBoolean(const QString& key, const QString& line, bool& flag)
{
    int number = 0;
    if (!ReadKeyInteger(key, line, number) || (number != 0 && number != 1))
        return false;
    flag = number == 1;
    return true;
}

bool ReadKeyDateTime(const QString& key, const QString& line, TDateTime& moment)
{
    QString value;
    if (!ReadKeyValue(key, line, value))
        return false;
    RecordTextToDateTime(value, moment);
    return true;
}

QString BooleanText(bool flag)
{
    return flag ? QStringLiteral("1") : QStringLiteral("0");
}

QString DateTimeToRecordText(TDateTime moment)
{
    QDate date;
    QTime time;
    if (!DecodeDateTime(moment, date, time)) {
        // No number is written as the zero moment, anything beyond the scale as its nearest end.
        if (moment > 0)
            return QStringLiteral("9999 12 31 23 59 59 999");
        if (moment < 0)
            return QStringLiteral("1 1 1 0 0 0 0");
        return QStringLiteral("1899 12 30 0 0 0 0");
    }
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(time.hour())
        .arg(time.minute())
        .arg(time.second())
        .arg(time.msec());
}

bool RecordTextToDateTime(const QString& text, TDateTime& moment)
{
    QString rest = text;
    int fields[7];
    for (int& field : fields)
        field = TakeNumber(rest);
    return EncodeDateTime(
        fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], moment);
}

int TakeNumber(QString& text)
{
    if (text.isEmpty())
        return 0;
    const qsizetype space = text.indexOf(u' ');
    int number = 1;
    if (space > 0) {
        if (!TextToInteger(QStringView(text).left(space), number))
            number = 1;
        // Removing from the front only moves the start of the buffer, so taking every number
        // of a long list stays linear.
        text.remove(0, space + 1);
    } else {
        if (!TextToInteger(text, number))
            number = 1;
        text.clear();
    }
    return number;
}

QString SceneLine(const QString& key, const QString& value)
{
    return QString(key).remove(u' ') + u' ' + value;
}

QString SceneLineInteger(const QString& key, int value)
{
    return SceneLine(key, QString::number(value));
}

QString SceneLineBoolean(const QString& key, bool value)
{
    return SceneLine(key, BooleanText(value));
}
