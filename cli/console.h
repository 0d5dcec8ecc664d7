#pragma once

#include "cli/exitstatus.h"

#include <QByteArray>
#include <QString>

// Data goes to standard output; messages, progress and the trace to standard error.
void writeOut(const QByteArray &data);
void note(const QString &text);
// Replaces the progress line on a terminal; the next note starts on a line of its own, and
// after the last update so does the next progress line.
void progressLine(const QString &text, bool last);
// Prints "velmor4_cli: text" and hands the status back, so a command can `return fail(...)`.
ExitStatus fail(ExitStatus status, const QString &text);
bool stderrIsTerminal();
QString hexAddress(quint32 address);  // 0x0800F800
