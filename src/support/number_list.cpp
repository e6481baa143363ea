#include "support/number_list.h"

#include <QSet>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QString CleanNumberList(const QString& text)
{
    QString clean;
    clean.reserve(text.size());
    bool afterDigit = false;
    for (const QChar c : text) {
        if (IsDigit(c)) {
            clean.append(c);
            afterDigit = true;
        } else if (c == u' ' && afterDigit) {
            clean.append(c);
            afterDigit = false;
        }
        // Anything else is dropped and leaves a number open: 12a3 stays one number.
    }
    if (clean.endsWith(u' '))
        clean.chop(1);
    return clean;
}

int CountNumbers(const QString& text)
{
    if (text.isEmpty())
        return 0;
    return static_cast<int>(text.count(u' ') + 1);
}

bool NumberInList(qint64 number, const QString& text)
{
    // The same as looking for " n " in " text ", without building either.
    const QString wanted = QString::number(number);
    for (qsizetype at = text.indexOf(wanted); at >= 0; at = text.indexOf(wanted, at + 1)) {
        const qsizetype end = at + wanted.size();
        if ((at == 0 || text[at - 1] == u' ') && (end == text.size() || text[end] == u' '))
            return true;
    }
    return false;
}

void AppendNumber(QString& list, QStringView number)
{
    if (!list.isEmpty())
        list += u' ';
    list += number;
}

QString AddNewNumbers(const QString& list, const QString& numbers)
{
    QSet<QStringView> listed;
    const QString clean = CleanNumberList(list);
    for (const QStringView number : QStringView(clean).split(u' ', Qt::SkipEmptyParts))
        listed.insert(number);
    QString result = clean;
    const QString added = CleanNumberList(numbers);
    for (const QStringView number : QStringView(added).split(u' ', Qt::SkipEmptyParts)) {
        if (listed.contains(number))
            continue;
        listed.insert(number);
        AppendNumber(result, number);
    }
    return result;
}

QString WithoutNumbers(const QString& list, const QString& numbers)
{
    const QString removed = CleanNumberList(numbers);
    QSet<QStringView> unwanted;
    for (const QStringView number : QStringView(removed).split(u' ', Qt::SkipEmptyParts))
        unwanted.insert(number);
    QString result;
    const QString clean = CleanNumberList(list);
    for (const QStringView number : QStringView(clean).split(u' ', Qt::SkipEmptyParts))
        if (!unwanted.contains(number))
            AppendNumber(result, number);
    return result;
}
