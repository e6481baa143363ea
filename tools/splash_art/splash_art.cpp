// Paints Kestrion's splash picture and window icons:
//   kestrion-splash-art <resources directory>
// writes splash.jpg (640 x 460), kestrion.png (32 x 32) and kestrion64.png (64 x 64).

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cstdio>
#include <iterator>
#include <jpeglib.h>

namespace {

// A kestrel hovering, wings spread, seen from below; about 300 wide around (0, 0). The right
// half is drawn as curves from the crown to the tail's tip, the left half mirrors it.
QPainterPath KestrelPath()
{
    struct TCurve
    {
        QPointF First, Second, End;
    };
    const QPointF crown(0, -46);
    const TCurve half[] = {
        { { 6, -46 }, { 9, -40 }, { 8, -33 } }, // head
        { { 9, -28 }, { 11, -24 }, { 14, -20 } }, // neck to shoulder
        { { 40, -36 }, { 62, -44 }, { 80, -41 } }, // arm to the wrist
        { { 108, -37 }, { 132, -28 }, { 154, -12 } }, // hand to the pointed tip
        { { 128, -12 }, { 104, -6 }, { 84, -1 } }, // primaries
        { { 70, 2 }, { 60, 0 }, { 52, 6 } }, // notch
        { { 38, 10 }, { 26, 12 }, { 15, 13 } }, // secondaries
        { { 13, 22 }, { 11, 30 }, { 9, 38 } }, // flank
        { { 13, 60 }, { 18, 84 }, { 17, 100 } }, // fanned tail
        { { 10, 104 }, { 4, 105 }, { 0, 105 } }, // tail tip
    };
    QPainterPath bird;
    bird.moveTo(crown);
    for (const TCurve& curve : half)
        bird.cubicTo(curve.First, curve.Second, curve.End);
    const auto mirrored = [](const QPointF& point) { return QPointF(-point.x(), point.y()); };
    for (int i = static_cast<int>(std::size(half)) - 1; i >= 0; --i) {
        const QPointF end = i > 0 ? half[i - 1].End : crown;
        bird.cubicTo(mirrored(half[i].Second), mirrored(half[i].First), mirrored(end));
    }
    bird.closeSubpath();
    return bird;
}

void PaintSky(QPainter& painter, const QRect& area)
{
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, QColor(4, 7, 22));
    sky.setColorAt(0.45, QColor(16, 27, 66));
    sky.setColorAt(0.78, QColor(58, 44, 92));
    sky.setColorAt(1.0, QColor(196, 98, 58));
    painter.fillRect(area, sky);

    QRandomGenerator random(1977);
    for (int i = 0; i < 260; ++i) {
        const double x = random.bounded(area.width());
        const double y = random.bounded(area.height() * 0.7);
        const int light = 120 + random.bounded(136);
        const double size = random.bounded(10) == 0 ? 1.6 : 0.8;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(light, light, qMin(255, light + 20), 90 + random.bounded(166)));
        painter.drawEllipse(QPointF(x, y), size, size);
    }
}

void PaintMoon(QPainter& painter, const QPointF& centre, double radius)
{
    QRadialGradient halo(centre, radius * 2.2);
    halo.setColorAt(0.0, QColor(255, 236, 200, 90));
    halo.setColorAt(1.0, QColor(255, 236, 200, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(halo);
    painter.drawEllipse(centre, radius * 2.2, radius * 2.2);

    QRadialGradient disc(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.3);
    disc.setColorAt(0.0, QColor(255, 246, 222));
    disc.setColorAt(1.0, QColor(228, 196, 150));
    painter.setBrush(disc);
    painter.drawEllipse(centre, radius, radius);
}

// Render buckets across the horizon, the left ones done, the right ones still waiting.
void PaintTiles(QPainter& painter, const QRect& area)
{
    const int tile = 20;
    const int gap = 3;
    QRandomGenerator random(42);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column * (tile + gap) < area.width(); ++column) {
            const QRectF square(
                area.left() + column * (tile + gap) + gap, area.top() + row * (tile + gap), tile, tile);
            const double done = 1.0 - double(column) / (area.width() / (tile + gap)) - 0.12 * row;
            const bool rendered = done + random.bounded(0.25) > 0.55;
            if (rendered) {
                const int warmth = random.bounded(60);
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor(200 + warmth / 2, 90 + warmth, 40 + warmth / 3, 150 - row * 30));
            } else {
                painter.setPen(QPen(QColor(255, 190, 140, 60 - row * 15), 1));
                painter.setBrush(Qt::NoBrush);
            }
            painter.drawRect(square);
        }
    }
}

void PaintBird(QPainter& painter, const QPointF& centre, double scale)
{
    painter.save();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.rotate(-6);
    painter.setPen(QPen(QColor(255, 214, 170, 120), 1.2 / scale));
    painter.setBrush(QColor(10, 12, 26));
    painter.drawPath(KestrelPath());
    painter.restore();
}

void PaintTitle(QPainter& painter, const QRect& area)
{
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(76);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    painter.setFont(title);
    const QRect titleBox(area.left(), area.top(), area.width(), 90);
    painter.setPen(QColor(0, 0, 0, 120));
    painter.drawText(titleBox.translated(3, 3), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kestrion"));
    QLinearGradient ink(titleBox.topLeft(), titleBox.bottomLeft());
    ink.setColorAt(0.2, QColor(255, 250, 240));
    ink.setColorAt(1.0, QColor(255, 196, 140));
    painter.setPen(QPen(QBrush(ink), 1));
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kestrion"));

    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(17);
    subtitle.setLetterSpacing(QFont::AbsoluteSpacing, 5);
    painter.setFont(subtitle);
    painter.setPen(QColor(220, 214, 240));
    painter.drawText(QRect(area.left() + 4, area.top() + 90, area.width(), 30), Qt::AlignLeft | Qt::AlignTop,
        QStringLiteral("RENDER FARM CONTROL"));
}

QImage SplashPicture()
{
    QImage picture(640, 460, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintSky(painter, picture.rect());
    PaintMoon(painter, QPointF(468, 128), 84);
    PaintBird(painter, QPointF(462, 138), 0.98);
    PaintTiles(painter, QRect(0, 392, 640, 68));
    PaintTitle(painter, QRect(44, 246, 560, 130));
    return picture;
}

QImage Icon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 32.0;
    QLinearGradient sky(0, 0, 0, size);
    sky.setColorAt(0.0, QColor(16, 27, 66));
    sky.setColorAt(1.0, QColor(196, 98, 58));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 6 * unit, 6 * unit);
    painter.setBrush(QColor(255, 240, 214));
    painter.drawEllipse(QPointF(16 * unit, 13 * unit), 9 * unit, 9 * unit);
    painter.translate(16 * unit, 15 * unit);
    painter.scale(0.092 * unit, 0.092 * unit);
    painter.setBrush(QColor(10, 12, 26));
    painter.drawPath(KestrelPath());
    return icon;
}

bool WriteJpeg(const QImage& image, const QString& path, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrion-splash-art <resources directory>\n");
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    const bool written = WriteJpeg(SplashPicture(), directory.filePath(QStringLiteral("splash.jpg")), 88)
        && Icon(32).save(directory.filePath(QStringLiteral("kestrion.png")))
        && Icon(64).save(directory.filePath(QStringLiteral("kestrion64.png")));
    if (!written) {
        std::fprintf(stderr, "kestrion-splash-art: could not write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
