#include "support/text_routines.h"

#include "support/record_text.h"

QString ZeroPadded(qint64 number, int width)
{
    // The sign goes in front of the zeros: -7 in three characters is -07.
    const QString digits = QString::number(number);
    if (number >= 0)
        return digits.rightJustified(width, u'0');
    return u'-' + digits.mid(1).rightJustified(width - 1, u'0');
}

bool ChangeInteger(const QString& text, int low, int high, int& current)
{
    int number = 0;
    if (!TextToInteger(text, number) || number < low || number > high || number == current)
        return false;
    current = number;
    return true;
}

QString FitText(const TTextWidth& textWidth, const QString& text, int width)
{
    const qsizetype size = text.size();
    // Only a prefix shorter than the whole text can cause a cut; wider prefixes are never
    // narrower, so the first one that overflows is found by halving.
    if (size < 2 || textWidth(text.left(size - 1)) <= width)
        return text;
    qsizetype fits = 0; // longest prefix known to fit (the empty one counts as fitting)
    qsizetype overflows = size - 1; // shortest prefix known to overflow
    while (overflows - fits > 1) {
        const qsizetype middle = fits + (overflows - fits) / 2;
        if (textWidth(text.left(middle)) > width)
            overflows = middle;
        else
            fits = middle;
    }
    qsizetype keep = qMax<qsizetype>(overflows - 3, 0);
    if (keep > 0 && text[keep - 1].isHighSurrogate())
        --keep;
    return text.left(keep) + QStringLiteral("...");
}

QString OneLine(const QString& text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    return line;
}
