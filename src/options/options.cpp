#include "options/options.h"

#include "options/ini_file.h"
#include "options/lightwave_config.h"
#include "support/paths.h"
#include "support/record_text.h"
#include "support/text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace {

const QString OptionsSection = QStringLiteral("Options");
const QString SceneDefaultSection = QStringLiteral("SceneDefault");
const QString SceneDefaultCountKey = QStringLiteral("SceneDefaultCount");

enum class TSettingOrder
{
    Load,
    Save
};

// Every key of section "Options" with its field and default, in the order of the file.
// Load has always read MasterScreamerOldStyle after MasterScreamerFrames.
template <class TOptionsType, class TVisit>
void ForEachSetting(TOptionsType& o, TSettingOrder order, TVisit&& visit)
{
    visit("Master", o.Master, false);
    visit("InfoVisible", o.InfoVisible, true);
    visit("Debug", o.Debug, false);
    visit("FramesRendered", o.FramesRendered, 0);
    if (order == TSettingOrder::Save)
        visit("MasterScreamerOldStyle", o.MasterScreamerOldStyle, false);
    visit("MasterScreamerComputers", o.MasterScreamerComputers, 9);
    visit("MasterScreamerFrames", o.MasterScreamerFrames, 1);
    if (order == TSettingOrder::Load)
        visit("MasterScreamerOldStyle", o.MasterScreamerOldStyle, false);
    visit("MasterScenesRemove", o.MasterScenesRemove, false);
    visit("MasterScenesRemoveTime", o.MasterScenesRemoveTime, 30);
    visit("MasterScenesVerify", o.MasterScenesVerify, true);
    visit("MasterRenderInterval", o.MasterRenderInterval, 1000);
    visit("MasterWatchAcks", o.MasterWatchAcks, true);
    visit("MasterScanRemote", o.MasterScanRemote, true);
    visit("MasterScanTCPIP", o.MasterScanTCPIP, false);
    visit("MasterTCPIPPort", o.MasterTCPIPPort, 1234);
    visit("MasterTCPIPAllow", o.MasterTCPIPAllow, QString());
    visit("MasterWebPort", o.MasterWebPort, 0);
    visit("MasterWebAddress", o.MasterWebAddress, QStringLiteral("127.0.0.1"));
    visit("RemoteUpdateCommands", o.RemoteUpdateCommands, true);
    visit("RemoteUpdateAutomatic", o.RemoteUpdateAutomatic, false);
    visit("RemoteUpdateAutomaticTime", o.RemoteUpdateAutomaticTime, 5);
    visit("RemoteAllowCopy", o.RemoteAllowCopy, false);
    visit("RemoteCommandsMaster", o.RemoteCommandsMaster, true);
    visit("RemoteSendTCPIP", o.RemoteSendTCPIP, false);
    visit("RemoteSendTCPIPMaster", o.RemoteSendTCPIPMaster, QStringLiteral("127.0.0.1"));
    visit("ScreamerDirectory", o.ScreamerDirectory, NoneText);
    visit("ScreamerFilename", o.ScreamerFilename, NoneText);
    visit("ScreamerConfig", o.ScreamerConfig, NoneText);
    visit("ConfigNumber", o.ConfigNumber, NoneText);
    visit("ScreamerName", o.ScreamerName, o.SystemInfo.ComputerName);
    visit("ScreamerNumbers", o.ScreamerNumbers, QStringLiteral("1"));
    visit("ScreamerInterval", o.ScreamerInterval, 1);
    visit("ScreamerHide", o.ScreamerHide, false);
    visit("ScreamerPriorityIdle", o.ScreamerPriorityIdle, false);
    visit("EventsFile", o.EventsFile, false);
    visit("EventsFileName", o.EventsFileName, NoneText);
    visit("EventsClearMajor", o.EventsClearMajor, false);
    visit("EventsClearTimeMajor", o.EventsClearTimeMajor, 24);
    visit("EventsClearMinor", o.EventsClearMinor, false);
    visit("EventsClearTimeMinor", o.EventsClearTimeMinor, 60);
    visit("SaverEnabled", o.SaverEnabled, true);
    visit("SaverSeconds", o.SaverSeconds, 300);
    visit("SaverNoise", o.SaverNoise, true);
    visit("SaverPercentage", o.SaverPercentage, 95);
    visit("CommunicationInterval", o.CommunicationInterval, 120);
    visit("CommunicationEmail", o.CommunicationEmail, false);
    visit("CommunicationEmailDial", o.CommunicationEmailDial, true);
    visit("CommunicationEmailAccount", o.CommunicationEmailAccount, NoneText);
    visit("CommunicationEmailSmtp", o.CommunicationEmailSmtp, NoneText);
    visit("CommunicationEmailAddress", o.CommunicationEmailAddress, NoneText);
    visit("LookColorR", o.LookColorR, 90);
    visit("LookColorG", o.LookColorG, 110);
    visit("LookColorB", o.LookColorB, 90);
    visit("LookTray", o.LookTray, true);
}

// Texts from the file are named by their start, so that one event stays readable.
QString Shortened(const QString& text)
{
    constexpr qsizetype Shown = 60;
    return text.size() > Shown ? text.left(Shown) + QStringLiteral("...") : text;
}

// Numbers and flags whose text is no decimal integer keep their default, and are noted.
bool Converts(const TIniFile& ini, const QString& key, QString& text)
{
    int number = 0;
    text = ini.ReadString(OptionsSection, key, QString());
    return !ini.ValueExists(OptionsSection, key) || TextToInteger(text, number);
}

void ReadSetting(const TIniFile& ini, const QString& key, bool& field, bool defaultValue, QStringList& bad)
{
    QString text;
    if (!Converts(ini, key, text))
        bad << key + u'=' + Shortened(text);
    field = ini.ReadBool(OptionsSection, key, defaultValue);
}

void ReadSetting(const TIniFile& ini, const QString& key, int& field, int defaultValue, QStringList& bad)
{
    QString text;
    if (!Converts(ini, key, text))
        bad << key + u'=' + Shortened(text);
    field = ini.ReadInteger(OptionsSection, key, defaultValue);
}

void ReadSetting(
    const TIniFile& ini, const QString& key, QString& field, const QString& defaultValue, QStringList&)
{
    field = ini.ReadString(OptionsSection, key, defaultValue);
}

// A long list is cut too.
constexpr qsizetype ListShown = 10;

QString ListText(const QStringList& items, qsizetype total = -1)
{
    QString text = items.mid(0, ListShown).join(QStringLiteral(", "));
    const qsizetype more = std::max(total, items.size()) - std::min(items.size(), ListShown);
    if (more > 0)
        text += QStringLiteral(" and %1 more").arg(more);
    return text;
}

QString LineText(qsizetype index, const QString& line)
{
    return QStringLiteral("line %1 \"%2\"").arg(index + 1).arg(Shortened(line.trimmed()));
}

void WriteSetting(TIniFile& ini, const QString& key, bool value)
{
    ini.WriteBool(OptionsSection, key, value);
}

void WriteSetting(TIniFile& ini, const QString& key, int value)
{
    ini.WriteInteger(OptionsSection, key, value);
}

void WriteSetting(TIniFile& ini, const QString& key, const QString& value)
{
    ini.WriteString(OptionsSection, key, value);
}

QString SceneDefaultLineKey(qint64 number)
{
    return QStringLiteral("Line") + QString::number(number);
}

} // namespace

QString OptionsFilePath(const QString& fileName)
{
    if (fileName.contains(u'/') || fileName.contains(u'\\'))
        return fileName;
    return JoinPath(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation), fileName);
}

TOptions::TOptions(const QString& fileName)
    : FFileName(fileName)
{
    MemorySize = static_cast<int>(MemoryFigure(2) / 1024 + 1);
}

void TOptions::ReadSettings(const TIniFile& ini)
{
    FNotes = TReadNotes();
    FNotes.ReadFailed = ini.ReadFailed();
    QList<qsizetype> unreadable;
    FNotes.LineCount = ini.UnreadableLines(unreadable, ListShown);
    for (const qsizetype index : unreadable)
        FNotes.Lines << LineText(index, ini.Lines().at(index));
    ForEachSetting(
        *this, TSettingOrder::Load, [this, &ini](const char* key, auto& field, const auto& defaultValue) {
            const QString name = QString::fromLatin1(key);
            if (!ini.ValueExists(OptionsSection, name))
                FNotes.Missing << name;
            ReadSetting(ini, name, field, defaultValue, FNotes.Values);
        });

    // The list is cut at the first missing line, so that a wild count costs nothing:
    // Save always writes every line it counts.
    SceneDefault.clear();
    const int count = ini.ReadInteger(SceneDefaultSection, SceneDefaultCountKey, 0);
    int converted = 0;
    const QString countText = ini.ReadString(SceneDefaultSection, SceneDefaultCountKey, QStringLiteral("0"));
    if (!TextToInteger(countText, converted))
        FNotes.Values << SceneDefaultCountKey + u'=' + Shortened(countText);
    for (qint64 number = 1; number <= count; ++number) {
        const QString key = SceneDefaultLineKey(number);
        if (!ini.ValueExists(SceneDefaultSection, key))
            break;
        SceneDefault.append(ini.ReadString(SceneDefaultSection, key, QString()));
    }
}

void TOptions::WriteSettings(TIniFile& ini) const
{
    ForEachSetting(*this, TSettingOrder::Save, [&ini](const char* key, const auto& field, const auto&) {
        WriteSetting(ini, QString::fromLatin1(key), field);
    });

    ini.WriteInteger(SceneDefaultSection, SceneDefaultCountKey, static_cast<int>(SceneDefault.size()));
    for (qsizetype i = 0; i < SceneDefault.size(); ++i)
        ini.WriteString(SceneDefaultSection, SceneDefaultLineKey(i + 1), SceneDefault[i]);
}

void TOptions::Load()
{
    ReadSettings(TIniFile(OptionsFilePath(FFileName)));
    ReadLightWaveConfig();
}

bool TOptions::KeepsFile() const
{
    return FNotes.ReadFailed || (!FNotes.Lines.isEmpty() && !FNotes.Missing.isEmpty());
}

QString TOptions::LoadReport() const
{
    const QString path = OptionsFilePath(FFileName);
    const QString kept = QStringLiteral(" The file is not written at shutdown, so nothing in it is lost.");
    if (FNotes.ReadFailed)
        return QStringLiteral("The options file %1 could not be read: every setting has its default. "
                              "Check the file and its permissions.")
                   .arg(path)
            + kept;
    if (FNotes.Lines.isEmpty() && FNotes.Values.isEmpty())
        return QString();
    QString text = QStringLiteral("The options file %1").arg(path);
    if (!FNotes.Lines.isEmpty())
        text += QStringLiteral(" has lines that are no section, key or comment: %1.")
                    .arg(ListText(FNotes.Lines, FNotes.LineCount));
    if (!FNotes.Values.isEmpty())
        text += QStringLiteral("%1 has values that are no whole number: %2, so these keep their defaults.")
                    .arg(FNotes.Lines.isEmpty() ? QString() : QStringLiteral(" It"), ListText(FNotes.Values));
    if (KeepsFile())
        text += QStringLiteral(" Not found, so at their defaults: %1.").arg(ListText(FNotes.Missing)) + kept
            + QStringLiteral(" Mend those lines and start again.");
    return text;
}

bool TOptions::Save() const
{
    if (KeepsFile())
        return true;
    const QString path = OptionsFilePath(FFileName);
    TIniFile ini(path);
    WriteSettings(ini);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return ini.UpdateFile();
}

void TOptions::ReadLightWaveConfig()
{
    ContentDirectory = NoneText;
    ImageSavers.clear();

    QStringList lines;
    if (ReadTextLines(LightWaveConfigFile(), lines))
        ContentDirectoryFromConfig(lines, ContentDirectory);

    PluginConfigName = QStringLiteral("lwext") + ConfigNumber + QStringLiteral(".cfg");
    lines.clear();
    if (ReadTextLines(JoinPath(ScreamerConfig, PluginConfigName), lines))
        ImageSavers = ImageSaversFromConfig(lines);
}

QString TOptions::LightWaveConfigFile() const
{
    return JoinPath(ScreamerConfig, QStringLiteral("lw") + ConfigNumber + QStringLiteral(".cfg"));
}

void TOptions::ImageSaver(int index, QString& name) const
{
    if (index >= 0 && index < ImageSavers.size())
        name = ImageSavers[index];
}

bool TOptions::TcpIpInUse() const
{
    return Master ? MasterScanTCPIP : RemoteSendTCPIP;
}

QString TOptions::StateScenesFile() const
{
    return JoinPath(ScreamerDirectory, QStringLiteral("StateScenes.lst"));
}

QString TOptions::StateComputersFile() const
{
    return JoinPath(ScreamerDirectory, QStringLiteral("StateComputers.lst"));
}

QString TOptions::StateOverviewFile() const
{
    return JoinPath(ScreamerDirectory, QStringLiteral("StateOverview.lst"));
}
