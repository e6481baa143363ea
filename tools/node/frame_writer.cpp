#include "frame_writer.h"

#include "model/scene.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

namespace {

constexpr int ImageSize = 8;

// A colour that changes from frame to frame, so the frames of a piece can be told apart; alpha
// pictures are grey.
QImage FramePicture(qint64 frame, TFrameKind kind)
{
    const int shade = int(frame % 256 + 256) % 256;
    QImage image(ImageSize, ImageSize, QImage::Format_RGB32);
    image.fill(kind == TFrameKind::Alpha ? QColor(shade, shade, shade) : QColor(shade, 96, 255 - shade));
    return image;
}

void AppendLittleEndian16(QByteArray& bytes, int value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
}

// Uncompressed 24-bit TGA, rows from the top.
QByteArray TgaBytes(const QImage& image)
{
    QByteArray bytes;
    bytes.append(char(0)); // no image id
    bytes.append(char(0)); // no colour map
    bytes.append(char(2)); // true colour
    bytes.append(5, char(0)); // colour map origin, length and entry size
    AppendLittleEndian16(bytes, 0);
    AppendLittleEndian16(bytes, 0);
    AppendLittleEndian16(bytes, image.width());
    AppendLittleEndian16(bytes, image.height());
    bytes.append(char(24));
    bytes.append(char(0x20));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            bytes.append(char(qBlue(pixel)));
            bytes.append(char(qGreen(pixel)));
            bytes.append(char(qRed(pixel)));
        }
    }
    return bytes;
}

bool WritePicture(QSaveFile& file, const QImage& image, const QByteArray& suffix)
{
    const bool qtWrites = suffix != "tga" && QImageWriter::supportedImageFormats().contains(suffix);
    if (qtWrites)
        return QImageWriter(&file, suffix).write(image);
    const QByteArray bytes = TgaBytes(image);
    return file.write(bytes) == bytes.size();
}

} // namespace

bool WriteFrameImage(const QString& path, qint64 frame, TFrameKind kind, QString& error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        error = QStringLiteral("cannot make the directory %1").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    if (!WritePicture(file, FramePicture(frame, kind), info.suffix().toLower().toLatin1())) {
        error = QStringLiteral("cannot write the picture");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
