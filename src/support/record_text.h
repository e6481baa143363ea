#pragma once
// Key lines: how settings-like records and LightWave scene lines are matched, read and built.
// Matching is case-sensitive; "Key=Value" and "Key Value" both match.

#include "support/date_time.h"

#include <QString>

// The whole text as a signed 32-bit decimal integer (optional sign, digits only).
bool TextToInteger(QStringView text, int& number);
bool TextToInteger(QStringView text, qint64& number);

bool ReadKeyValue(const QString& key, const QString& line, QString& value);
bool ReadKeyInteger(const QString& key, const QString& line, int& number);
bool ReadKeyInteger(const QString& key, const QString& line, qint64& number);
bool ReadKeyBoolean(const QString& key, const QString& line, bool& flag);
// A matching key always yields true; a value that makes no moment leaves `moment` as it was.
bool ReadKeyDateTime(const QString& key, const QString& line, TDateTime& moment);

QString BooleanText(bool flag);

// The line that closes a scene or computer record; "End" closes one too.
inline const QString RecordEndLine = QStringLiteral("[end]");
inline bool IsRecordEnd(const QString& line)
{
    return line == RecordEndLine || line == QStringLiteral("End");
}

// "year month day hour minute second millisecond", no leading zeros.
QString DateTimeToRecordText(TDateTime moment);
// False, with `moment` untouched, when the seven numbers make no moment.
bool RecordTextToDateTime(const QString& text, TDateTime& moment);

// Cuts the leading token off `text`: 0 for an empty text, 1 for a token that is no integer.
int TakeNumber(QString& text);

// Lines in LightWave's scene syntax: the key without spaces, one space, the value.
QString SceneLine(const QString& key, const QString& value);
QString SceneLineInteger(const QString& key, int value);
QString SceneLineBoolean(const QString& key, bool value);
