#pragma once
// "Rendering": small real image files in the format their names ask for.

#include <QString>

enum class TFrameKind;

// Writes an 8x8 picture of the frame, written beside and renamed into place so a verifier never
// sees half a file; missing directories are made. Extensions that Qt cannot write (".tga", and
// anything unknown) get TGA bytes. False with `error` set when the file could not be written.
bool WriteFrameImage(const QString& path, qint64 frame, TFrameKind kind, QString& error);
