#include "job_file.h"

#include "support/text_file.h"

#include <QFile>
#include <sys/stat.h>

namespace {

// A command is a handful of short lines; a larger file is cut, not held.
constexpr qint64 JobFileLimit = 64 * 1024;

qint64 Nanoseconds(const struct timespec& moment)
{
    return qint64(moment.tv_sec) * 1000000000 + moment.tv_nsec;
}

} // namespace

TJobFile ReadJobFile(const QString& path)
{
    TJobFile job;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return job;
    // The status of the open file, not of the name: the Master may replace the file meanwhile, and
    // the bytes must belong to the identity they are kept with.
    struct stat status = {};
    if (::fstat(file.handle(), &status) != 0)
        return job;
    job.Exists = true;
    job.Device = status.st_dev;
    job.Inode = status.st_ino;
    job.Size = status.st_size;
    job.ModifiedNanoseconds = Nanoseconds(status.st_mtim);
    job.ChangedNanoseconds = Nanoseconds(status.st_ctim);
    job.Bytes = file.read(JobFileLimit);
    return job;
}

TJob ParseJob(const QByteArray& bytes)
{
    TJob job;
    const QStringList lines = SplitTextLines(DecodeText(bytes));
    qsizetype index = 0;
    while (index < lines.size() && lines.at(index).trimmed().isEmpty())
        ++index;
    if (index == lines.size())
        return job;
    const QString command = lines.at(index).trimmed();
    const qsizetype space = command.indexOf(u' ');
    if (space >= 0) {
        job.Word = command.left(space);
        job.Argument = command.mid(space + 1).trimmed();
    } else {
        job.Word = command;
        job.Argument = index + 1 < lines.size() ? lines.at(index + 1).trimmed() : QString();
    }
    return job;
}
