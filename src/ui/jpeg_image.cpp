#include "ui/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

// libjpeg's default handler ends the process; a damaged picture must only fail the decoding.
struct TJpegError
{
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

void FailDecoding(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->Jump, 1);
}

void IgnoreMessage(j_common_ptr) { }

// Everything that longjmp may skip lives outside this function: it holds no object with a
// destructor between setjmp and the last libjpeg call.
bool DecodeInto(jpeg_decompress_struct& info, TJpegError& error, const QByteArray& bytes, QImage& image)
{
    if (setjmp(error.Jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
        static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0)
        return false;
    image = QImage(
        static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB888);
    if (image.isNull())
        return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    // libjpeg fills a picture cut short with grey and only warns; that is no picture of ours.
    return error.Manager.num_warnings == 0;
}

} // namespace

QImage DecodeJpeg(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QImage();
    jpeg_decompress_struct info {};
    TJpegError error {};
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = FailDecoding;
    error.Manager.output_message = IgnoreMessage;
    QImage image;
    const bool decoded = DecodeInto(info, error, bytes, image);
    jpeg_destroy_decompress(&info);
    return decoded ? image : QImage();
}
