#pragma once
// Readable test failures for Qt texts. Included into every test file by the build: a printer
// seen by only some files would leave the others' copies of gtest's printer reading bytes.

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
