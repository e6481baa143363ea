#include "remote/allow_list.h"

#include <QHostAddress>
#include <gtest/gtest.h>

namespace {

QHostAddress Address(const char* text)
{
    return QHostAddress(QString::fromLatin1(text));
}

// A list parsed from `text`, which must parse.
TAllowList Parsed(const QString& text)
{
    TAllowList list;
    QString error;
    EXPECT_TRUE(list.Parse(text, error)) << text.toStdString();
    EXPECT_EQ(error, QString()) << text.toStdString();
    return list;
}

// The error of a text that must not parse; the list then lets nobody in.
QString Refused(const QString& text)
{
    TAllowList list;
    QString error;
    EXPECT_FALSE(list.Parse(text, error)) << text.toStdString();
    EXPECT_FALSE(list.AllowsEveryone()) << text.toStdString();
    EXPECT_EQ(list.EntryCount(), 0) << text.toStdString();
    for (const char* peer : { "127.0.0.1", "192.168.1.7", "::1", "::ffff:192.168.1.7" })
        EXPECT_FALSE(list.Allows(Address(peer))) << text.toStdString() << " " << peer;
    return error;
}

} // namespace

TEST(AllowList, EmptyTextLetsEveryoneIn)
{
    for (const QString& text : { QString(), QStringLiteral("  ,; \t\r\n ") }) {
        const TAllowList list = Parsed(text);
        EXPECT_TRUE(list.AllowsEveryone());
        EXPECT_TRUE(list.Allows(Address("10.9.8.7")));
        EXPECT_TRUE(list.Allows(Address("2001:db8::1")));
    }
    EXPECT_TRUE(TAllowList().AllowsEveryone());
}

TEST(AllowList, AddressesAndNetworksOfBothProtocols)
{
    const TAllowList list = Parsed(
        QStringLiteral(" 10.0.0.5,192.168.1.0/24;\t172.16.0.0/12\n2001:DB8::7  fd00:1:2::/48 10.0.0.130/25"));
    EXPECT_FALSE(list.AllowsEveryone());
    EXPECT_EQ(list.EntryCount(), 6);
    for (const char* allowed : { "10.0.0.5", "192.168.1.0", "192.168.1.255", "172.16.0.1", "172.31.255.254",
             "2001:db8::7", "fd00:1:2:ffff::1", "10.0.0.128", "10.0.0.255" })
        EXPECT_TRUE(list.Allows(Address(allowed))) << allowed;
    for (const char* refused : { "10.0.0.6", "192.168.2.1", "172.32.0.1", "172.15.255.255", "2001:db8::8",
             "fd00:1:3::1", "10.0.0.127", "127.0.0.1", "::1" })
        EXPECT_FALSE(list.Allows(Address(refused))) << refused;
    // A socket's address that is none (a peer already gone) is nobody.
    EXPECT_FALSE(list.Allows(QHostAddress()));
}

TEST(AllowList, IPv4PeersSeenThroughAnIPv6SocketMatchIPv4Entries)
{
    const TAllowList list = Parsed(QStringLiteral("192.168.1.0/24 127.0.0.1"));
    EXPECT_TRUE(list.Allows(Address("::ffff:192.168.1.7")));
    EXPECT_TRUE(list.Allows(Address("::ffff:c0a8:0107")));
    EXPECT_TRUE(list.Allows(Address("::ffff:127.0.0.1")));
    EXPECT_FALSE(list.Allows(Address("::ffff:192.168.2.7")));
    // Only the mapped form is an IPv4 peer: the same last 32 bits elsewhere are not.
    EXPECT_FALSE(list.Allows(Address("::192.168.1.7")));
    EXPECT_FALSE(list.Allows(Address("64:ff9b::192.168.1.7")));

    // An entry written in the mapped form takes plain IPv4 peers too; so does the mapped range.
    for (const QString& text : { QStringLiteral("::ffff:192.168.1.7"), QStringLiteral("::ffff:0:0/96") }) {
        const TAllowList mapped = Parsed(text);
        EXPECT_TRUE(mapped.Allows(Address("192.168.1.7"))) << text.toStdString();
        EXPECT_TRUE(mapped.Allows(Address("::ffff:192.168.1.7"))) << text.toStdString();
        EXPECT_FALSE(mapped.Allows(Address("2001:db8::1"))) << text.toStdString();
    }
}

TEST(AllowList, NetworkEdges)
{
    const TAllowList zero = Parsed(QStringLiteral("0.0.0.0/0"));
    EXPECT_TRUE(zero.Allows(Address("255.255.255.255")));
    EXPECT_TRUE(zero.Allows(Address("::ffff:1.2.3.4")));
    EXPECT_FALSE(zero.Allows(Address("2001:db8::1")));
    EXPECT_FALSE(zero.AllowsEveryone());

    // Host bits in a network are ignored, a prefix not on a byte boundary masks within the byte.
    const TAllowList odd = Parsed(QStringLiteral("192.168.1.77/27 2001:db8::ffff/125"));
    EXPECT_TRUE(odd.Allows(Address("192.168.1.64")));
    EXPECT_TRUE(odd.Allows(Address("192.168.1.95")));
    EXPECT_FALSE(odd.Allows(Address("192.168.1.96")));
    EXPECT_FALSE(odd.Allows(Address("192.168.1.63")));
    EXPECT_TRUE(odd.Allows(Address("2001:db8::fff8")));
    EXPECT_FALSE(odd.Allows(Address("2001:db8::fff7")));

    const TAllowList exact = Parsed(QStringLiteral("10.1.2.3/32 ::1/128 010.001.002.004"));
    EXPECT_TRUE(exact.Allows(Address("10.1.2.3")));
    EXPECT_TRUE(exact.Allows(Address("::1")));
    EXPECT_TRUE(exact.Allows(Address("10.1.2.4")));
    EXPECT_FALSE(exact.Allows(Address("10.1.2.2")));
}

TEST(AllowList, ErrorsNameTheFirstEntryAtFaultAndWhatToWrite)
{
    const QString name = Refused(QStringLiteral("10.0.0.1 render-07.farm.local 300.1.1.1"));
    EXPECT_TRUE(name.contains(QStringLiteral("\"render-07.farm.local\""))) << name.toStdString();
    EXPECT_TRUE(name.contains(QStringLiteral("name"))) << name.toStdString();
    EXPECT_TRUE(name.contains(QStringLiteral("IP address"))) << name.toStdString();
    EXPECT_FALSE(name.contains(QStringLiteral("300.1.1.1"))) << name.toStdString();

    for (const char* entry :
        { "300.1.1.1", "10.1", "127.1", "1.2.3.4.5", "1.2.3.", "1..2.3", "+1.2.3.4", "1.2.3.4x",
            "fe80::1%eth0", "[::1]", "1:2:3:4:5:6:7:8:9", "2001:db8:::1", "0x7f.0.0.1", "::g" }) {
        const QString error = Refused(QStringLiteral("10.0.0.1, ") + QString::fromLatin1(entry));
        EXPECT_TRUE(error.contains(u'"' + QString::fromLatin1(entry) + u'"')) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("192.168.1.0/24"))) << error.toStdString();
    }

    for (const char* entry : { "10.0.0.0/33", "10.0.0.0/", "10.0.0.0/-1", "::/129", "10.0.0.0/24/8",
             "10.0.0.0/0024", "10.0.0.0/%2" }) {
        const QString error = Refused(QString::fromLatin1(entry));
        EXPECT_TRUE(error.contains(u'"' + QString::fromLatin1(entry) + u'"')) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral(" 0 to "))) << error.toStdString();
    }
    EXPECT_TRUE(Refused(QStringLiteral("::/129")).contains(QStringLiteral("0 to 128")));
}

TEST(AllowList, AFailedParseForgetsTheListBeforeAndAGoodOneRecovers)
{
    TAllowList list;
    QString error;
    ASSERT_TRUE(list.Parse(QStringLiteral("10.0.0.1"), error));
    EXPECT_FALSE(list.Parse(QStringLiteral("10.0.0.1 oops"), error));
    EXPECT_FALSE(list.Allows(Address("10.0.0.1")));
    EXPECT_TRUE(list.Parse(QStringLiteral("10.0.0.2"), error));
    EXPECT_EQ(error, QString());
    EXPECT_TRUE(list.Allows(Address("10.0.0.2")));
    EXPECT_FALSE(list.Allows(Address("10.0.0.1")));
}

TEST(AllowList, HugeTextsAreBounded)
{
    // One entry of a million characters is named by its start only.
    const QString error = Refused(QString(1000000, u'7'));
    EXPECT_LT(error.size(), 300);

    QStringList many;
    for (int i = 0; i < AllowListEntryLimit; ++i)
        many << QStringLiteral("10.%1.%2.1").arg(i / 256).arg(i % 256);
    const TAllowList full = Parsed(many.join(u' '));
    EXPECT_EQ(full.EntryCount(), AllowListEntryLimit);
    EXPECT_TRUE(full.Allows(Address("10.15.255.1")));
    many << QStringLiteral("10.99.0.1");
    EXPECT_TRUE(Refused(many.join(u',')).contains(QString::number(AllowListEntryLimit)));
}
