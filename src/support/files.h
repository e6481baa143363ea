#pragma once
// Copying and moving files into directories; input/output errors that end an operation.

#include <QString>
#include <stdexcept>

// An input/output failure that ends the operation in progress (a dispatch tick, a menu command).
class EInOutError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

bool CopyFileTo(const QString& source, const QString& destination, bool failIfExists);
bool CopyFileToDirectory(const QString& source, const QString& directory, bool failIfExists);
bool MoveFileToDirectory(const QString& source, const QString& directory);
// Deletes a file; a missing file is no error.
void DeleteFileQuietly(const QString& path);
