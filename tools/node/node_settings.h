#pragma once
// What one run of kestrion-node is told: the farm's fixed command line and the switches that tests
// and the demo add, on the command line or in KESTRION_NODE_OPTIONS.

#include <QString>
#include <QStringList>

struct TNodeSettings
{
    QString ConfigDirectory;
    QString JobPath;
    QString AckPath;
    // The poll interval: --poll, else -t in seconds, else 50 ms rather than a second, so that demos
    // and tests are quick.
    int PollMilliseconds = 50;
    int FrameMilliseconds = 300;
    QString Platform = QStringLiteral("x86");
    // Frames rendered in total after which the node dies or hangs; -1: never.
    int CrashAfter = -1;
    int HangAfter = -1;
};

// Reads the switches of `environment` (split like a shell would) and then `arguments` (without the
// program name), so the command line wins. False with `error` set when they make no sense.
bool ParseNodeArguments(
    const QString& environment, const QStringList& arguments, TNodeSettings& settings, QString& error);

inline const char* const NodeUsage
    = "usage: kestrion-node -2 -c<config directory> [-t<seconds>] [--frame-time MS] [--platform NAME]\n"
      "       [--crash-after N] [--hang-after N] [--poll MS] <job file> <ack file>\n"
      "       kestrion-node --help | --version\n"
      "Switches may also come from the environment variable KESTRION_NODE_OPTIONS.\n";
