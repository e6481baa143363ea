// Any text as the Master's allow-list: parsing ends in one pass, fails closed, names the fault
// in a bounded message, and an IPv4 peer is judged the same whichever way the socket shows it.
#include "remote/allow_list.h"
#include "fuzz_tools.h"

#include <QHostAddress>
#include <cstdint>
#include <cstdlib>

namespace {

QHostAddress Mapped(quint32 ip)
{
    Q_IPV6ADDR raw {};
    raw.c[10] = raw.c[11] = 0xFF;
    for (int i = 0; i < 4; ++i)
        raw.c[12 + i] = static_cast<quint8>(ip >> (24 - 8 * i));
    return QHostAddress(raw);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TAllowList list;
    QString error;
    const bool parsed = list.Parse(text, error);
    Check(parsed == error.isEmpty());
    Check(error.size() < 400);
    Check(list.EntryCount() <= AllowListEntryLimit && list.EntryCount() <= text.size());
    Check(list.AllowsEveryone() == (parsed && list.EntryCount() == 0));

    // Peers from the input's first bytes, and a few fixed ones.
    quint32 seed = 0;
    for (size_t i = 0; i < size && i < 4; ++i)
        seed = (seed << 8) | data[i];
    for (const quint32 ip : { seed, quint32(0x7F000001), quint32(0xC0A80107), quint32(0x0A000001), ~seed }) {
        const bool plain = list.Allows(QHostAddress(ip));
        Check(plain == list.Allows(Mapped(ip)));
        Check(parsed || !plain);
    }
    Q_IPV6ADDR raw {};
    for (size_t i = 0; i < size && i < 16; ++i)
        raw.c[i] = data[i];
    Check(parsed || !list.Allows(QHostAddress(raw)));

    // The same text gives the same list.
    TAllowList again;
    QString againError;
    Check(again.Parse(text, againError) == parsed && againError == error);
    Check(again.EntryCount() == list.EntryCount());
    return 0;
}
