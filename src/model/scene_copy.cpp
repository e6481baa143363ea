// The scene's private copy: the render options the queue decided, written into the copy of the
// user's scene file in place, every other byte kept.
#include "model/scene.h"
#include "model/scene_sections.h"
#include "options/options.h"
#include "support/record_text.h"
#include "support/text_file.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <optional>
#include <vector>

namespace {

// The render-output lines in the order LightWave writes them: a line the copy lacks is
// added after its nearest predecessor present, or before its nearest successor, so that each
// version's keys stay in the block where that version keeps them (LightWave 4/5 name the
// image format by a code after the prefix, later versions by a saver and a flag).
const std::array<QString, 14> LineOrder = { QStringLiteral("RenderMode"), QStringLiteral("RayTraceEffects"),
    QStringLiteral("RayRecursionLimit"), QStringLiteral("DataOverlay"), QStringLiteral("DataOverlayLabel"),
    QStringLiteral("OutputFilenameFormat"), KeySaveRGB, QStringLiteral("SaveRGBImagesPrefix"),
    QStringLiteral("RGBImageFormat"), QStringLiteral("RGBImageSaver"), KeySaveAlpha,
    QStringLiteral("SaveAlphaImagesPrefix"), QStringLiteral("AlphaImageFormat"),
    QStringLiteral("AlphaImageSaver") };

using TOptionTexts = std::array<std::optional<QString>, RenderOptionKeys.size()>;

// An option's value as its line carries it; none for an option that is absent.
std::optional<QString> OptionText(int value)
{
    return value == -1 ? std::nullopt : std::optional<QString>(QString::number(value));
}

std::optional<QString> OptionText(const QString& value)
{
    return value == NoneText ? std::nullopt : std::optional<QString>(value);
}

TOptionTexts OptionTexts(const TSceneData& data)
{
    TOptionTexts texts;
    std::size_t k = 0;
    std::apply([&](const auto&... field) { ((texts[k++] = OptionText(field)), ...); }, RenderOptions(data));
    return texts;
}

struct TFileLine
{
    QByteArray Bytes; // without its end
    QByteArray End; // "\r\n", "\n", "\r", or nothing on a last line without one
    QString Text;
    TSceneSection Section = SectionHead;
};

// A scene file as lines that keep their own bytes and ends; only lines that are replaced or
// added are encoded anew.
class TSceneText
{
public:
    explicit TSceneText(const QByteArray& bytes)
    {
        DecodeText(bytes, &FEncoding);
        qsizetype start = 0;
        while (start < bytes.size()) {
            qsizetype end = start;
            while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
                ++end;
            TFileLine line { bytes.mid(start, end - start), QByteArray(), QString(), SectionHead };
            qsizetype next = end;
            if (next < bytes.size())
                next += bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
            line.End = bytes.mid(end, next - end);
            line.Text = Decode(
                FLines.empty() && line.Bytes.startsWith("\xEF\xBB\xBF") ? line.Bytes.mid(3) : line.Bytes);
            line.Section = NextSection(line.Text, FLines.empty() ? SectionHead : FLines.back().Section);
            FLines.push_back(std::move(line));
            start = next;
        }
        FLineEnd = FLines.empty() || FLines.front().End.isEmpty() ? QByteArray("\r\n") : FLines.front().End;
    }

    QByteArray Bytes() const
    {
        QByteArray bytes;
        for (const TFileLine& line : FLines)
            bytes += line.Bytes + line.End;
        return bytes;
    }

    QStringList Texts() const
    {
        QStringList texts;
        texts.reserve(qsizetype(FLines.size()));
        for (const TFileLine& line : FLines)
            texts << line.Text;
        return texts;
    }

    const QString& Text(std::size_t index) const { return FLines[index].Text; }

    // The format version on the line after "LWSC".
    int Version() const
    {
        int version = 0;
        return FLines.size() > 1 && TextToInteger(FLines[1].Text, version) ? version : 0;
    }

    // The lines with `key` where the scene's reader takes render settings from.
    std::vector<std::size_t> Lines(const QString& key) const
    {
        std::vector<std::size_t> found;
        for (std::size_t index = 0; index < FLines.size(); ++index)
            if (FLines[index].Section == SectionCamera && HasKey(key, FLines[index].Text))
                found.push_back(index);
        return found;
    }

    // Every line of `key` made to carry `value`; without a value they go. A key the file
    // lacks is added beside its kin.
    void Set(const QString& key, const std::optional<QString>& value)
    {
        const std::vector<std::size_t> lines = Lines(key);
        if (!value) {
            for (auto line = lines.rbegin(); line != lines.rend(); ++line)
                FLines.erase(FLines.begin() + std::ptrdiff_t(*line));
            return;
        }
        const QString text = SceneLine(key, *value);
        if (lines.empty()) {
            Add(key, text);
            return;
        }
        for (const std::size_t line : lines) {
            FLines[line].Bytes = Encode(text);
            FLines[line].Text = text;
        }
    }

private:
    void Add(const QString& key, const QString& text)
    {
        const auto order = std::find(LineOrder.begin(), LineOrder.end(), key);
        for (auto before = order; before != LineOrder.begin();) {
            const std::vector<std::size_t> lines = Lines(*--before);
            if (!lines.empty()) {
                Insert(lines.back() + 1, text);
                return;
            }
        }
        for (auto after = order; after != LineOrder.end() && ++after != LineOrder.end();) {
            const std::vector<std::size_t> lines = Lines(*after);
            if (!lines.empty()) {
                Insert(lines.front(), text);
                return;
            }
        }
        Insert(FLines.size(), text);
    }

    void Insert(std::size_t at, const QString& text)
    {
        // A render option never starts a section: the new line stands where its neighbour does.
        TFileLine line { Encode(text), FLineEnd, text, at > 0 ? FLines[at - 1].Section : SectionHead };
        if (at > 0 && FLines[at - 1].End.isEmpty()) {
            // After a last line without an end: that line gets one, the new line none.
            FLines[at - 1].End = FLineEnd;
            line.End.clear();
        } else if (at > 0) {
            line.End = FLines[at - 1].End;
        }
        FLines.insert(FLines.begin() + std::ptrdiff_t(at), std::move(line));
    }

    QString Decode(const QByteArray& bytes) const
    {
        return FEncoding == TTextEncoding::Latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    }

    QByteArray Encode(const QString& text) const
    {
        return FEncoding == TTextEncoding::Latin1 ? text.toLatin1() : text.toUtf8();
    }

    std::vector<TFileLine> FLines;
    TTextEncoding FEncoding = TTextEncoding::Utf8;
    QByteArray FLineEnd;
};

// The value of the last line of `key` (the one the reader keeps); none without such a line.
std::optional<QString> LastValue(const TSceneText& text, const QString& key)
{
    const std::vector<std::size_t> lines = text.Lines(key);
    if (lines.empty())
        return std::nullopt;
    QString value;
    ReadKeyValue(key, text.Text(lines.back()), value);
    return value;
}

// An output is switched on and off by its prefix; LightWave 6 and later also by a flag that
// keeps the prefix line when off.
void SetOutput(TSceneText& text, const QString& prefixKey, const QString& flagKey,
    const std::optional<QString>& wanted, const std::optional<QString>& found)
{
    const bool hasFlag = !text.Lines(flagKey).empty();
    const std::optional<QString> prefix = LastValue(text, prefixKey);
    if (!wanted) {
        if (found)
            hasFlag ? text.Set(flagKey, QStringLiteral("0")) : text.Set(prefixKey, std::nullopt);
        return;
    }
    if (!found) {
        if (hasFlag)
            text.Set(flagKey, QStringLiteral("1"));
        else if (!prefix && text.Version() >= 3)
            text.Set(flagKey, QStringLiteral("1"));
    }
    if (prefix != wanted)
        text.Set(prefixKey, wanted);
}

} // namespace

QByteArray TScene::RewriteSceneBytes(const QByteArray& bytes) const
{
    TSceneText text(bytes);
    TScene file;
    file.ReadSceneLines(text.Texts());
    const TOptionTexts wanted = OptionTexts(Data);
    const TOptionTexts found = OptionTexts(file.Data);
    for (std::size_t k = 0; k < RenderOptionKeys.size(); ++k) {
        const QString& key = RenderOptionKeys[k];
        if (key == QStringLiteral("SaveRGBImagesPrefix"))
            SetOutput(text, key, KeySaveRGB, wanted[k], found[k]);
        else if (key == QStringLiteral("SaveAlphaImagesPrefix"))
            SetOutput(text, key, KeySaveAlpha, wanted[k], found[k]);
        else if (wanted[k] != found[k])
            text.Set(key, wanted[k]);
    }
    return text.Bytes();
}

bool TScene::RewriteSceneCopy(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A copy cut short would lose the rest of the scene.
    const QByteArray bytes = file.read(TextFileLimit + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > TextFileLimit)
        return false;
    file.close();
    const QByteArray rewritten = RewriteSceneBytes(bytes);
    if (rewritten == bytes)
        return true;
    // Replaced atomically: a node may be loading the copy right now.
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(rewritten) == rewritten.size() && out.commit();
}
