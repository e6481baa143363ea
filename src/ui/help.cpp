#include "ui/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace {

const QString ContentsPage = QStringLiteral("index.html");

struct TTopicPage
{
    const char* Topic;
    const char* Page;
};

// The topics that windows ask for, and the page that carries each as an id.
constexpr TTopicPage TopicPages[] = {
    { "IDH_MenuScenesEdit", "scene_settings.html" },
    { "IDH_StartOptions", "options.html" },
};

QString PageOf(const QString& topic)
{
    for (const TTopicPage& entry : TopicPages)
        if (topic == QLatin1String(entry.Topic))
            return QString::fromLatin1(entry.Page);
    return ContentsPage;
}

bool KnownTopic(const QString& topic)
{
    return PageOf(topic) != ContentsPage;
}

QStringList HelpDirectories()
{
    QStringList directories;
    // Without an application object there is no program directory to look beside.
    if (QCoreApplication::instance()) {
        const QString programDirectory = QCoreApplication::applicationDirPath();
        directories << programDirectory + QStringLiteral("/help")
                    << programDirectory + QStringLiteral("/../share/kestrion/help");
    }
    directories << QStringLiteral(KESTRION_HELP_DIR);
    return directories;
}

} // namespace

QString HelpFile(const QString& topic)
{
    const QString page = PageOf(topic);
    for (const QString& directory : HelpDirectories()) {
        const QFileInfo file(directory + u'/' + page);
        if (!file.isFile())
            continue;
        QUrl url = QUrl::fromLocalFile(file.canonicalFilePath());
        if (KnownTopic(topic))
            url.setFragment(topic);
        return url.toString();
    }
    return {};
}

bool OpenHelp(const QString& topic)
{
    const QString file = HelpFile(topic);
    return !file.isEmpty() && QDesktopServices::openUrl(QUrl(file));
}
