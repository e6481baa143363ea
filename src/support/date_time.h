#pragma once
// Moments as the farm stores them: days since 30 December 1899, local time, as a double.
// The whole part counts days; the fraction, taken without its sign, is the time of day, so
// -1.25 is 29 December 1899 at 6:00. Moments run from year 1 to year 9999.

#include <QDateTime>

using TDateTime = double;

// False when the fields make no valid local date and time.
bool EncodeDateTime(
    int year, int month, int day, int hour, int minute, int second, int millisecond, TDateTime& moment);
// The date and the time of day to the nearest millisecond; false for a moment outside
// years 1 to 9999 or no number at all.
bool DecodeDateTime(TDateTime moment, QDate& date, QTime& time);
// An invalid QDateTime gives the zero moment.
TDateTime DateTimeFromQt(const QDateTime& moment);
// A moment that DecodeDateTime refuses gives an invalid QDateTime.
QDateTime DateTimeToQt(TDateTime moment);
TDateTime NowDateTime();

// The time of day of a moment as "hh:mm:ss", for the status bar.
QString ClockText(TDateTime moment);

// A duration in days as "hh:mm:ss"; hours go on past 24 and a negative duration shows as zero.
QString DurationText(TDateTime duration);
