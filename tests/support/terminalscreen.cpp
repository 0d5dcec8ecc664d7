#include "terminalscreen.h"

TerminalScreen::TerminalScreen(int columns)
    : m_columns(columns)
{
}

void TerminalScreen::newLine()
{
    ++m_row;
    if (m_row == m_rows.size()) {
        m_rows.append(QVector<uint>());
        m_wrapped.append(false);
    }
}

void TerminalScreen::put(uint c)
{
    if (m_pendingWrap) {
        newLine();
        m_col = 0;
        m_wrapped[m_row] = true;
        m_pendingWrap = false;
    }
    QVector<uint> &row = m_rows[m_row];
    while (row.size() <= m_col)
        row.append(' ');
    row[m_col] = c;
    if (++m_col == m_columns) {
        m_col = m_columns - 1;
        m_pendingWrap = true;
    }
}

void TerminalScreen::feed(const QByteArray &utf8)
{
    const QVector<uint> text = QString::fromUtf8(utf8).toUcs4();
    for (int i = 0; i < text.size(); ++i) {
        const uint c = text.at(i);
        if (c == '\r') {
            m_col = 0;
            m_pendingWrap = false;
        } else if (c == '\n') {
            newLine();
            m_col = 0;
            m_pendingWrap = false;
        } else if (c == 0x1b && i + 1 < text.size() && text.at(i + 1) == '[') {
            int n = 0, j = i + 2;
            for (; j < text.size() && text.at(j) >= '0' && text.at(j) <= '9'; ++j)
                n = n * 10 + int(text.at(j) - '0');
            if (j == text.size())
                break;
            m_pendingWrap = false;
            QVector<uint> &row = m_rows[m_row];
            switch (text.at(j)) {
            case 'A':
                m_row = qMax(0, m_row - qMax(1, n));
                break;
            case 'J':  // the rest of this row and every row below
                row.resize(qMin(row.size(), m_col));
                m_rows.resize(m_row + 1);
                m_wrapped.resize(m_row + 1);
                break;
            case 'K':
                if (n == 2)
                    row.clear();
                else
                    row.resize(qMin(row.size(), m_col));
                break;
            default:
                break;
            }
            i = j;
        } else if (c >= 0x20) {
            put(c);
        }
    }
}

QStringList TerminalScreen::rows() const
{
    QStringList out;
    for (const QVector<uint> &row : m_rows) {
        QString text
            = QString::fromUcs4(reinterpret_cast<const char32_t *>(row.constData()), row.size());
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        out << text;
    }
    return out;
}

QStringList TerminalScreen::wrappedRows() const
{
    QStringList out;
    const QStringList all = rows();
    for (int i = 0; i < all.size(); ++i) {
        if (m_wrapped.at(i))
            out << all.at(i);
    }
    return out;
}
