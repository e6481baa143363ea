#include "support/text_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

QString DecodeText(const QByteArray& bytes, TTextEncoding* encoding)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    const bool isUtf8 = !utf8.hasError();
    if (encoding)
        *encoding = isUtf8 ? TTextEncoding::Utf8 : TTextEncoding::Latin1;
    return isUtf8 ? text : QString::fromLatin1(bytes);
}

bool ReadTextLines(const QString& path, QStringList& lines, qint64 limit, TTextEncoding* encoding)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        return false;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    lines = SplitTextLines(DecodeText(bytes, encoding));
    return true;
}

QStringList SplitTextLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start).toString());
    return lines;
}

bool WriteTextLines(const QString& path, const QStringList& lines, TTextEncoding encoding, QString* error)
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    for (qsizetype i = 0; written && i < lines.size(); ++i) {
        written = file.write(encoding == TTextEncoding::Latin1 ? lines[i].toLatin1() : lines[i].toUtf8()) >= 0
            && file.write("\r\n", 2) == 2;
    }
    written = written && file.commit();
    if (!written && error)
        *error = file.errorString();
    return written;
}
