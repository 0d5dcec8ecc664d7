#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// What a terminal of some width shows of a program's output: UTF-8 text, carriage return,
// line feed (as a terminal's line discipline sends it, back to the first column), automatic
// wrap at the last column, and the escape sequences the tool uses: cursor up (CSI n A), erase
// below (CSI J) and erase in line (CSI K, CSI 2K). Rows scrolled away are kept.
class TerminalScreen
{
public:
    explicit TerminalScreen(int columns);

    void feed(const QByteArray &utf8);
    QStringList rows() const;  // every row from the first, trailing blanks removed
    // The rows that a line too long for the screen wrapped onto.
    QStringList wrappedRows() const;

private:
    void put(uint c);
    void newLine();

    int m_columns;
    QVector<QVector<uint>> m_rows{{}};
    QVector<bool> m_wrapped{false};
    int m_row = 0;
    int m_col = 0;
    bool m_pendingWrap = false;
};
