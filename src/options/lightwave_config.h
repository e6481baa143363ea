#pragma once
// What the farm learns from LightWave's own configuration files: the content directory from
// the main file ("lw" + number + ".cfg") and the image savers from the plug-in file.

#include <QString>
#include <QStringList>

// The value of the last "ContentDirectory" line; false, `directory` untouched, when there is none.
bool ContentDirectoryFromConfig(const QStringList& lines, QString& directory);

// One name per `  Class "ImageSaver"` line, in file order, taken from the line after it:
// from after its first double quote up to and including the first ")" that follows.
// Empty when that line has no quote or no ")"; a class line without a next line adds nothing.
QStringList ImageSaversFromConfig(const QStringList& lines);
