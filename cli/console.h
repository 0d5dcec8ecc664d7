#pragma once

#include "cli/exitstatus.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The tool's texts are English in the code; their Russian is in the translation file.
struct CliText
{
    Q_DECLARE_TR_FUNCTIONS(velmor4_cli)
};

// Data goes to standard output; messages, progress and the trace to standard error. Every
// function here may be called from any port's thread.
void writeOut(const QByteArray &data);
// Text for the reader on standard output (the summary, the port list): UTF-8, or Unicode on a
// Windows console.
void writeOutText(const QString &text);
// Standard output's width when it is a terminal, else 0.
int outputColumns();
// From now on data and summaries go to standard error: standard output carries the events.
void dataToStandardError();
void note(const QString &text);
// Replaces the progress line on a terminal; the next note starts on a line of its own, and
// after the last update so does the next progress line. On a board, replaces this thread's row.
void progressLine(const QString &text, bool last);
// "velmor4_cli: text", with the port in front when the calling thread speaks for one; on a
// board the port's live line instead.
void message(const QString &text);
// A message that explains a failure, also kept for the summary; hands the status back, so a
// command can `return fail(...)`.
ExitStatus fail(ExitStatus status, const QString &text);
// While a slot only looks for its adapter or a device, its failures are kept but not shown.
void setMuted(bool muted);
bool stderrIsTerminal();
// Text for one row of a table or a record: line breaks become "; ", other control characters
// spaces.
QString oneLine(const QString &text);

// Every frame with a timestamp and its port, to a file or to standard error ("-").
bool openTrace(const QString &target, QString *error);
void traceFrame(const QString &port, const char *direction, const QByteArray &frame,
                const char *remark = "");

// Several ports at once: on a terminal one progress line per port, redrawn in place.
void startBoard(const QStringList &tags);
void endBoard();
// The calling thread speaks for the slot on that row from now on, named by `tag`.
void speakFor(int row, const QString &tag);
void setTag(const QString &tag);  // the slot's adapter came back under another name
QString portTag();                // "ttyUSB0: " in a thread that speaks for a port, else empty
QString takeFailures();           // this thread's failure messages, joined, and forgotten
