#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What the terminal shows, apart from the terminal: pure text rules that tests check against a
// model of a screen of some width.

// Text from outside (USB descriptors, system messages, serial numbers) may hold anything, an
// escape sequence included: control characters come out as \xNN, line breaks as "; ".
QString printable(const QString &text);
// Cut to `columns` display columns, "…" standing for the rest; one row, never wrapped.
QString fitLine(const QString &text, int columns);
// Words to lines of at most `columns`, each after `indent` spaces; a longer word is cut.
QStringList wrapText(const QString &text, int columns, int indent);
// The summary: columns padded to their widest cell, the last one (the message) as it is. With
// a width, a row whose message does not fit has it on indented lines of its own below, and a
// table whose other columns do not fit has each row as a block of "HEADER value" lines.
QStringList summaryLines(const QVector<QStringList> &columns, int width);
