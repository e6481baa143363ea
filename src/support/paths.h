#pragma once
// Paths: built with the native separator; split at either "/" or "\".

#include <QString>

// The directory and name joined with the native separator.
QString JoinPath(const QString& directory, const QString& name);
// Everything before the last separator; empty when there is none.
QString ExtractDirectory(const QString& path);
// Everything after the last separator; the whole path when there is none.
QString ExtractName(const QString& path);
// The first free name of base.extension, base_0.extension, base_1.extension, ...
// where the base ends at the first dot of the file name.
QString FreeFileName(const QString& path, const QString& extension);
