#include "ui/help.h"

#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QString PageText(const QUrl& url)
{
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(Help, TopicsLeadToPagesHoldingThem)
{
    for (const QString& topic :
        { QStringLiteral("IDH_MenuScenesEdit"), QStringLiteral("IDH_StartOptions") }) {
        const QUrl url(HelpFile(topic));
        ASSERT_TRUE(url.isLocalFile()) << qPrintable(topic);
        EXPECT_EQ(url.fragment(), topic);
        EXPECT_TRUE(PageText(url).contains(QStringLiteral("id=\"%1\"").arg(topic)))
            << qPrintable(url.toString());
    }

    const QUrl contents(HelpFile());
    ASSERT_TRUE(contents.isLocalFile());
    EXPECT_EQ(contents.fileName(), QStringLiteral("index.html"));
    EXPECT_TRUE(contents.fragment().isEmpty());
    EXPECT_TRUE(PageText(contents).contains(QStringLiteral("Contents")));
    // A topic nobody documented still finds help: the contents.
    EXPECT_EQ(QUrl(HelpFile(QStringLiteral("IDH_Nowhere"))), contents);
}
