#pragma once
// JPEG pictures through libjpeg, independent of which image plugins the Qt installation has.

#include <QByteArray>
#include <QImage>

// A null image when the bytes are not a JPEG picture libjpeg can read to the end.
QImage DecodeJpeg(const QByteArray& bytes);
