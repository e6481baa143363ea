#pragma once
// The computers that may connect to the Master's TCP/IP port: addresses and networks, IPv4 or
// IPv6, as the user writes them in the options.

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

class QHostAddress;

// More entries than this are refused: a list that long wants networks instead.
inline constexpr qsizetype AllowListEntryLimit = 4096;

class TAllowList
{
public:
    // Entries separated by blanks, commas or semicolons: an IPv4 or IPv6 address, or a network
    // such as 192.168.1.0/24 or fd00::/8. Empty text lets everyone in. Text that does not parse
    // gives false, with `error` naming the first entry at fault and what to write instead; the
    // list then lets nobody in, so a typo never opens the port to everyone.
    bool Parse(const QString& text, QString& error);

    // IPv4 peers of a server listening on both protocols arrive as IPv4-mapped IPv6 addresses
    // (::ffff:192.168.1.7); they match IPv4 entries as the plain address would.
    bool Allows(const QHostAddress& address) const;
    bool AllowsEveryone() const { return FEveryone; }
    qsizetype EntryCount() const { return static_cast<qsizetype>(FEntries.size()); }

private:
    struct TEntry
    {
        bool IPv6 = false;
        std::array<quint8, 16> Bytes {}; // IPv4 in the first four
        int Bits = 0; // the network's prefix length
    };

    std::vector<TEntry> FEntries;
    bool FEveryone = true;
};

// The allow-list of an option, read again only when the option's text changes.
class TAllowOption
{
public:
    // False, with `error` saying why, when the text is new and cannot be read: the list then
    // lets nobody in until the text changes again.
    bool Follow(const QString& text, QString& error);
    bool Allows(const QHostAddress& address) const { return FList.Allows(address); }

private:
    TAllowList FList;
    QString FText;
    bool FRead = false;
};

// Whether a refused computer is to be named in the events now: once a minute per address, so one
// that keeps knocking does not flood them.
class TRefusalNotes
{
public:
    bool Due(const QString& address, qint64 nowMilliseconds);

    static constexpr qint64 QuietMilliseconds = 60 * 1000;

private:
    QHash<QString, qint64> FSaidAt;
};
