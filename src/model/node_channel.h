#pragma once
// The two files through which the Master drives one render node: the job file, which only the
// Master writes, and the ack file, in which the node reports its state.

#include <QString>
#include <QStringList>

class TOptions;

enum TJobCommand
{
    JobDelete = 0,
    JobWait = 1,
    JobInit = 2,
    JobContent = 3,
    JobLoad = 4,
    JobRender = 5,
    JobQuit = 7,
};

// One acknowledgement: the node's state text and, after "init", its processor platform.
struct TAck
{
    QString State;
    QString Platform;
};

// The state texts the nodes write and the Master compares against.
inline const QString AckInitializing = QStringLiteral("Initializing");
inline const QString AckReady = QStringLiteral("Ready");
inline const QString AckSettingContent = QStringLiteral("Setting content directory");
inline const QString AckLoading = QStringLiteral("Loading");
inline const QString AckRendering = QStringLiteral("Rendering");
inline const QString AckOffline = QStringLiteral("Offline");

// True for a state text a node writes. Anything else (garbage, a file caught half written) is
// no answer: it must change nothing, and stays for the node to finish or replace.
bool IsNodeAnswer(const QString& state);

QString JobFileName(const TOptions& options, int number);
QString AckFileName(const TOptions& options, int number);
// The node whose ack file bears `name` (exactly "Ack7", not "Ack07"); 0 for any other name.
int AckFileNumber(const QString& name);

// The lines of a job file; none for JobDelete.
QStringList JobLines(TJobCommand command, const QString& argument, bool oldStyle);

// Writes (or for JobDelete removes) the node's job file. Throws EInOutError when the file cannot
// be written, which ends the tick or command in progress.
void WriteJob(const TOptions& options, int number, TJobCommand command, const QString& argument = QString());

// True when the ack file held an acknowledgement. A missing, locked or unreadable file, or one whose
// first line is still empty because the node is writing it, is no acknowledgement this time.
bool ReadAck(const TOptions& options, int number, TAck& ack);

void DeleteAck(const TOptions& options, int number);
