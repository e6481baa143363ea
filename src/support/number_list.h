#pragma once
// Number lists: decimal numbers separated by single spaces (single frames, missing frames, node numbers).

#include <QString>

QString CleanNumberList(const QString& text);
int CountNumbers(const QString& text);
bool NumberInList(qint64 number, const QString& text);
// Appends one number to a number list.
void AppendNumber(QString& list, QStringView number);
// `list` cleaned, followed by each number of `numbers` it does not hold yet, in their order.
QString AddNewNumbers(const QString& list, const QString& numbers);
// `list` cleaned, without the numbers of `numbers`.
QString WithoutNumbers(const QString& list, const QString& numbers);
