#pragma once
// Small text routines used by dialogs, grids and reports.

#include <QString>
#include <functional>

// `number` right-aligned in `width` characters, leading spaces replaced by "0".
QString ZeroPadded(qint64 number, int width);

// Stores the integer in `text` when it lies within low..high and differs from `current`.
bool ChangeInteger(const QString& text, int low, int high, int& current);

// Line breaks turned into spaces, for fields of line-based formats and one-line logs, where a
// break would shift every later line.
QString OneLine(const QString& text);

// Measures the pixel width of a text; the windows pass their font metrics in.
using TTextWidth = std::function<int(const QString&)>;

// `text` cut to `width` pixels and ended with "..." when it does not fit.
QString FitText(const TTextWidth& textWidth, const QString& text, int width);
