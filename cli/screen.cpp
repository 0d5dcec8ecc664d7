#include "cli/screen.h"

#include <QRegularExpression>

namespace {

constexpr int kIndent = 4;
const QChar kEllipsis(0x2026);
const QChar kKeep(0x00A0);  // a space that wrapping does not break

}  // namespace

QString printable(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("[\r\n]+"))))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    QString out;
    for (const QChar c : lines.join(QStringLiteral("; "))) {
        if (c == QLatin1Char('\t'))
            out += QLatin1Char(' ');
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString fitLine(const QString &text, int columns)
{
    const QString line = printable(text);
    const QVector<uint> points = line.toUcs4();
    if (columns <= 0 || points.size() <= columns)
        return line;
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(points.constData()), columns - 1)
        + kEllipsis;
}

QStringList wrapText(const QString &text, int columns, int indent)
{
    const int room = qMax(1, columns - indent);
    const QString pad(indent, QLatin1Char(' '));
    QStringList out;
    QString line;
    for (QString word : printable(text).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > room) {
            out << pad + line;
            line.clear();
        }
        while (word.size() > room) {
            out << pad + word.left(room);
            word = word.mid(room);
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        out << pad + line;
    return out;
}

QStringList summaryLines(const QVector<QStringList> &columns, int width)
{
    QVector<int> widths;
    int fixed = 0;
    for (int c = 0; c + 1 < columns.size(); ++c) {
        int w = 0;
        for (const QString &cell : columns.at(c))
            w = qMax(w, int(printable(cell).size()));
        widths << w;
        fixed += w + 2;
    }
    const bool blocks = width > 0 && fixed >= width;
    QStringList out;
    for (int row = 0; row < columns.first().size(); ++row) {
        const QString message = printable(columns.last().at(row));
        if (blocks) {
            if (row == 0)
                continue;  // the headers go with each value
            out << fitLine(columns.first().at(row), width);
            // A header and its value stay on one line: only the pairs are wrapped.
            QStringList pairs;
            for (int c = 1; c + 1 < columns.size(); ++c)
                pairs << columns.at(c).first() + kKeep + columns.at(c).at(row);
            for (const QString &line : wrapText(pairs.join(QStringLiteral(", ")), width, kIndent))
                out << QString(line).replace(kKeep, QLatin1Char(' '));
            out << wrapText(message, width, kIndent);
            continue;
        }
        QString line;
        for (int c = 0; c + 1 < columns.size(); ++c)
            line += printable(columns.at(c).at(row)).leftJustified(widths.at(c) + 2);
        if (width <= 0 || line.size() + message.size() < width) {
            out << (line + message).trimmed();
            continue;
        }
        out << line.trimmed();
        out << wrapText(message, width, kIndent);
    }
    return out;
}
