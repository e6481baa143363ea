#pragma once
// Paths: built with the native separator; split at either "/" or "\".

#include <QString>

// The directory and name joined with the native separator.
QString JoinPath(const QString& directory, const QString& name);
// Everything before the last separator; empty when there is none, "/" for a name right below the root.
QString ExtractDirectory(const QString& path);
// Everything after the last separator; the whole path when there is none.
QString ExtractName(const QString& path);
// How many numbered names FreeFileName tries before it gives up.
inline constexpr int FreeFileNameTries = 10000;

// Whether a file (or a dangling symbolic link) already holds this name.
bool NameTaken(const QString& path);
// The first free name of base.extension, base_0.extension, base_1.extension, ...
// where the base ends at the first dot of the file name; the directory part is kept as given.
// When every name is taken the last one tried is returned, so the caller overwrites that file.
QString FreeFileName(const QString& path, const QString& extension);
