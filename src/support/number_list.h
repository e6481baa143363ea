#pragma once
// Number lists: decimal numbers separated by single spaces (single frames, missing frames, node numbers).

#include <QString>

QString CleanNumberList(const QString& text);
int CountNumbers(const QString& text);
bool NumberInList(qint64 number, const QString& text);
