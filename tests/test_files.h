#pragma once
// Whole files as bytes, for tests that check exactly what the farm reads and writes.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <sys/stat.h>

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

// The permission bits of a file, 0 when it cannot be looked at.
inline mode_t FileMode(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Sets the umask for a test (and the processes it starts) and puts the old one back however the
// test ends.
class TUmask
{
public:
    explicit TUmask(mode_t mask)
        : FOld(::umask(mask))
    { }
    ~TUmask() { ::umask(FOld); }
    TUmask(const TUmask&) = delete;
    TUmask& operator=(const TUmask&) = delete;

private:
    mode_t FOld;
};
