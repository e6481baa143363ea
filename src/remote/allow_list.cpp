#include "remote/allow_list.h"

#include <QHostAddress>
#include <algorithm>

namespace {

// The longest address text with a prefix ("ffff:...:255.255.255.255/128") is 49 characters;
// anything longer is no entry and never reaches an address parser.
constexpr qsizetype LongestEntry = 64;

using TBytes = std::array<quint8, 16>;

bool IsSeparator(QChar c)
{
    return c.isSpace() || c == u',' || c == u';';
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsHexDigit(QChar c)
{
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Up to three decimal digits, no sign, no blank: "07" is 7, as people mean it.
bool SmallNumber(QStringView text, int& number)
{
    if (text.isEmpty() || text.size() > 3)
        return false;
    number = 0;
    for (const QChar c : text) {
        if (!IsDigit(c))
            return false;
        number = number * 10 + (c.unicode() - u'0');
    }
    return true;
}

// Exactly four decimal parts: the shortened forms inet_aton takes ("10.1", "127.1") are
// typing mistakes more often than they are meant.
bool ParseIPv4(QStringView text, TBytes& bytes)
{
    int part = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'.')
            continue;
        int number = 0;
        if (part >= 4 || !SmallNumber(text.mid(start, i - start), number) || number > 255)
            return false;
        bytes[part++] = static_cast<quint8>(number);
        start = i + 1;
    }
    return part == 4;
}

// Hex groups and colons, perhaps an IPv4 tail; no zone ("%eth0"): a zone names an interface
// of this computer, not a peer.
bool ParseIPv6(QStringView text, TBytes& bytes)
{
    if (!text.contains(u':'))
        return false;
    for (const QChar c : text)
        if (!IsHexDigit(c) && c != u':' && c != u'.')
            return false;
    QHostAddress address;
    if (!address.setAddress(text.toString()) || address.protocol() != QAbstractSocket::IPv6Protocol)
        return false;
    const Q_IPV6ADDR raw = address.toIPv6Address();
    std::copy(std::begin(raw.c), std::end(raw.c), bytes.begin());
    return true;
}

// Letters, digits, hyphens and dots with a letter among them: a name the user would have to
// look up, which the list does not do.
bool LooksLikeHostName(QStringView text)
{
    bool letter = false;
    for (const QChar c : text) {
        const bool isLetter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!isLetter && !IsDigit(c) && c != u'-' && c != u'.' && c != u'_')
            return false;
        letter = letter || isLetter;
    }
    return letter;
}

QString Shown(QStringView entry)
{
    constexpr qsizetype Shown = 40;
    return entry.size() > Shown ? entry.left(Shown).toString() + QStringLiteral("...") : entry.toString();
}

const QString WriteInstead = QStringLiteral(
    "write an IP address such as 192.168.1.7 or fd00::7, or a network such as 192.168.1.0/24.");

bool Matches(const TBytes& network, const TBytes& address, int bits)
{
    const int whole = bits / 8;
    if (!std::equal(network.begin(), network.begin() + whole, address.begin()))
        return false;
    const int rest = bits % 8;
    if (rest == 0)
        return true;
    const quint8 mask = static_cast<quint8>(0xFF << (8 - rest));
    return (network[whole] & mask) == (address[whole] & mask);
}

} // namespace

bool TAllowList::Parse(const QString& text, QString& error)
{
    FEntries.clear();
    FEveryone = false;
    error.clear();
    const auto fail = [this, &error](const QString& why) {
        FEntries.clear();
        error = why;
        return false;
    };

    const QStringView all(text);
    qsizetype i = 0;
    while (i < all.size()) {
        if (IsSeparator(all[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < all.size() && !IsSeparator(all[end]))
            ++end;
        const QStringView entry = all.mid(i, end - i);
        i = end;

        if (static_cast<qsizetype>(FEntries.size()) >= AllowListEntryLimit)
            return fail(QStringLiteral("The list holds more than %1 entries: name whole networks, such "
                                       "as 192.168.1.0/24, instead of single addresses.")
                            .arg(AllowListEntryLimit));
        if (LooksLikeHostName(entry) && !entry.contains(u'/'))
            return fail(QStringLiteral("\"%1\" is a computer's name, and the list holds no names: "
                                       "write its IP address instead, such as 192.168.1.7, or its "
                                       "network, such as 192.168.1.0/24.")
                            .arg(Shown(entry)));
        const QString noAddress = QStringLiteral("\"%1\" is no IP address or network: ").arg(Shown(entry));
        if (entry.size() > LongestEntry)
            return fail(noAddress + WriteInstead);

        const qsizetype slash = entry.indexOf(u'/');
        const QStringView address = slash < 0 ? entry : entry.left(slash);
        TEntry parsed;
        if (ParseIPv4(address, parsed.Bytes))
            parsed.IPv6 = false;
        else if (ParseIPv6(address, parsed.Bytes))
            parsed.IPv6 = true;
        else
            return fail(noAddress + WriteInstead);

        const int most = parsed.IPv6 ? 128 : 32;
        parsed.Bits = most;
        if (slash >= 0 && (!SmallNumber(entry.mid(slash + 1), parsed.Bits) || parsed.Bits > most))
            // One arg() call, so a "%2" typed in the entry stays as typed.
            return fail(QStringLiteral("\"%1\" has no network size after \"/\": write 0 to %2 there, "
                                       "such as %3.")
                            .arg(Shown(entry), QString::number(most),
                                parsed.IPv6 ? QStringLiteral("fd00::/8") : QStringLiteral("192.168.1.0/24")));
        FEntries.push_back(parsed);
    }
    FEveryone = FEntries.empty();
    return true;
}

bool TAllowList::Allows(const QHostAddress& address) const
{
    if (FEveryone)
        return true;
    // An IPv4 peer is compared as itself with IPv4 entries and in its mapped form with IPv6
    // ones (::ffff:0:0/96 takes every IPv4 peer), whichever way the socket reported it.
    TBytes v4 {};
    TBytes v6 {};
    bool isV4 = false;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        const quint32 ip = address.toIPv4Address();
        v4 = { quint8(ip >> 24), quint8(ip >> 16), quint8(ip >> 8), quint8(ip) };
        v6[10] = v6[11] = 0xFF;
        std::copy(v4.begin(), v4.begin() + 4, v6.begin() + 12);
        isV4 = true;
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        const Q_IPV6ADDR raw = address.toIPv6Address();
        std::copy(std::begin(raw.c), std::end(raw.c), v6.begin());
        const bool mapped = std::all_of(v6.begin(), v6.begin() + 10, [](quint8 b) { return b == 0; })
            && v6[10] == 0xFF && v6[11] == 0xFF;
        if (mapped) {
            std::copy(v6.begin() + 12, v6.end(), v4.begin());
            isV4 = true;
        }
    } else {
        return false;
    }
    return std::any_of(FEntries.begin(), FEntries.end(), [&](const TEntry& entry) {
        if (entry.IPv6)
            return Matches(entry.Bytes, v6, entry.Bits);
        return isV4 && Matches(entry.Bytes, v4, entry.Bits);
    });
}

bool TRefusalNotes::Due(const QString& address, qint64 nowMilliseconds)
{
    const auto last = FSaidAt.constFind(address);
    if (last != FSaidAt.cend() && nowMilliseconds - *last < QuietMilliseconds)
        return false;
    // Bounded: many knocking computers at worst are named again sooner.
    if (FSaidAt.size() > 1000)
        FSaidAt.clear();
    FSaidAt.insert(address, nowMilliseconds);
    return true;
}

bool TAllowOption::Follow(const QString& text, QString& error)
{
    if (FRead && text == FText)
        return true;
    FRead = true;
    FText = text;
    return FList.Parse(text, error);
}
