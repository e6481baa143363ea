#pragma once
// Whole files as bytes, for tests that check exactly what the farm reads and writes.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

// "<missing>" when the file cannot be read, so a missing file never equals an empty one.
inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}
