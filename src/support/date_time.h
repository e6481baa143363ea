#pragma once
// Moments as the farm stores them: days since 30 December 1899, local time, as a double.

#include <QDateTime>

using TDateTime = double;

// False when the fields make no valid local date and time.
bool EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond,
                    TDateTime& moment);
TDateTime DateTimeFromQt(const QDateTime& moment);
QDateTime DateTimeToQt(TDateTime moment);
TDateTime NowDateTime();
