// `stats`: what the reports say about the line, as text and as a page.
#include "cli/stats.h"

#include "cli/console.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr int kSuspectFailures = 5;  // fewer is chance, not a worn slot
constexpr int kFailureRows = 10;
constexpr int kBrokenNamed = 5;  // broken lines named one by one, the rest counted

struct Count
{
    int devices = 0;
    int failed = 0;
    QHash<QString, int> words;  // failures by result word

    void add(const QString &result)
    {
        ++devices;
        if (result != QLatin1String("ok")) {
            ++failed;
            ++words[result];
        }
    }
    double yield() const { return devices ? 100.0 * (devices - failed) / devices : 0; }
};

struct Row
{
    QString label;
    Count count;
    bool suspect = false;
};

struct Yield
{
    int reports = 0;
    int broken = 0;
    QStringList brokenAt;
    Count all;
    bool severalStations = false;
    QVector<Row> bySlot, byJob, byDay;
    QVector<QPair<QString, int>> failures;  // the most seen first
    QStringList checks;                     // "slot 3: 12 of 40 failed, ...: check ..."
};

struct Filter
{
    QDateTime since;
    QString job, station;
};

// A report may come from anywhere: what reaches the terminal has no control characters.
QString text(const QJsonObject &o, const char *key)
{
    return oneLine(o.value(QLatin1String(key)).toString());
}

// Numbers, addresses and port numbers differ from one failure to the next; the words do not.
QString failureKind(const QString &result, const QString &message)
{
    static const QRegularExpression number(QStringLiteral("0x[0-9A-Fa-f]+|\\d+(?:[.:]\\d+)*"));
    QString first = message.section(QLatin1Char('\n'), 0, 0);
    first = first.left(first.indexOf(QLatin1String("; "))).trimmed();
    return result + QStringLiteral(": ") + first.replace(number, QStringLiteral("#"));
}

// Digits compare as numbers: slot 10 comes after slot 9.
QString sortKey(QString label)
{
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QRegularExpressionMatch m;
    for (int at = 0; (m = digits.match(label, at)).hasMatch();) {
        const QString padded = m.captured().rightJustified(12, QLatin1Char('0'));
        label.replace(m.capturedStart(), m.capturedLength(), padded);
        at = m.capturedStart() + padded.size();
    }
    return label;
}

QVector<Row> rows(const QMap<QString, Count> &groups)
{
    QVector<Row> out;
    for (auto it = groups.begin(); it != groups.end(); ++it)
        out.append({it.key(), it.value()});
    return out;
}

// What to look at first: a link that drops points at the wiring, a device that answers
// wrongly at its supply.
QString advice(const Count &c)
{
    const int link = c.words.value(QStringLiteral("link"));
    const int device = c.words.value(QStringLiteral("device"));
    if (link > 0 && link >= device)
        return CliText::tr("check its contacts and cable");
    if (device > 0)
        return CliText::tr("check its contacts and the device's supply");
    return CliText::tr("check its adapter, contacts and cable");
}

bool accepted(const QJsonObject &o, const QDateTime &start, const Filter &f)
{
    if (f.since.isValid() && start < f.since)
        return false;
    if (!f.station.isEmpty() && text(o, "station") != f.station)
        return false;
    if (f.job.isEmpty())
        return true;
    const QJsonObject job = o.value(QLatin1String("job")).toObject();
    static const QRegularExpression hash(QStringLiteral("^[0-9a-fA-F]{8,64}$"));
    return text(job, "name") == f.job
        || (hash.match(f.job).hasMatch() && text(job, "sha256").startsWith(f.job.toLower()));
}

ExitStatus collect(const QStringList &reports, const Filter &filter, Yield *y)
{
    // Slots are keyed by station and name: two stations' slot 3 are two slots.
    QMap<QString, Count> bySlot, byJob, byDay;
    QHash<QString, Count> stations;
    QHash<QString, int> failures;
    for (const QString &report : reports) {
        QFile file(report);
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(
                ExitUsage,
                CliText::tr("cannot read the report %1: %2").arg(report, file.errorString()));
        }
        ++y->reports;
        for (int lineNumber = 1; !file.atEnd(); ++lineNumber) {
            const QByteArray line = file.readLine().trimmed();
            if (line.isEmpty())
                continue;
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            const QDateTime start
                = QDateTime::fromString(text(o, "start"), Qt::ISODateWithMs).toUTC();
            const QString result = text(o, "result");
            if (!start.isValid() || result.isEmpty()) {
                if (++y->broken <= kBrokenNamed)
                    y->brokenAt
                        << CliText::tr("%1 line %2").arg(report, QString::number(lineNumber));
                continue;
            }
            if (!accepted(o, start, filter))
                continue;
            const QString station = text(o, "station");
            const QString slot
                = o.value(QLatin1String("slot")).isString() ? text(o, "slot") : text(o, "port");
            const QJsonObject job = o.value(QLatin1String("job")).toObject();
            const QString jobLabel = job.isEmpty()
                ? CliText::tr("no job file")
                : QStringLiteral("%1 (%2)").arg(text(job, "name"), text(job, "sha256").left(12));
            y->all.add(result);
            bySlot[station + QLatin1Char('\x1f') + sortKey(slot) + QLatin1Char('\x1f') + slot].add(
                result);
            stations[station].add(result);
            byJob[jobLabel].add(result);
            byDay[start.date().toString(Qt::ISODate)].add(result);
            if (result != QLatin1String("ok"))
                ++failures[failureKind(result, text(o, "message"))];
        }
    }

    // A slot stands out when it fails at least twice as often as the other slots of its
    // station together.
    y->severalStations = stations.size() > 1;
    for (auto it = bySlot.begin(); it != bySlot.end(); ++it) {
        const QString station = it.key().section(QLatin1Char('\x1f'), 0, 0);
        const QString slot = it.key().section(QLatin1Char('\x1f'), 2);
        const bool named = y->severalStations && !station.isEmpty();
        const Count &c = it.value();
        const int otherDevices = stations[station].devices - c.devices;
        const int otherFailed = stations[station].failed - c.failed;
        Row row{named ? station + QStringLiteral(": ") + slot : slot, c};
        row.suspect = c.failed >= kSuspectFailures && otherDevices > 0
            && qint64(c.failed) * otherDevices >= 2 * qint64(otherFailed) * c.devices;
        if (row.suspect) {
            y->checks << CliText::tr("%1slot %2: %3 of %4 failed, the others %5 of %6: %7")
                             .arg(named ? station + QLatin1Char(' ') : QString(), slot,
                                  QString::number(c.failed), QString::number(c.devices),
                                  QString::number(otherFailed), QString::number(otherDevices),
                                  advice(c));
        }
        y->bySlot << row;
    }
    y->byJob = rows(byJob);
    std::stable_sort(y->byJob.begin(), y->byJob.end(),
                     [](const Row &a, const Row &b) { return a.count.devices > b.count.devices; });
    y->byDay = rows(byDay);
    for (auto it = failures.begin(); it != failures.end(); ++it)
        y->failures.append({it.key(), it.value()});
    std::sort(y->failures.begin(), y->failures.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    y->failures.resize(qMin(y->failures.size(), kFailureRows));
    return ExitOk;
}

QString percent(double value)
{
    return QStringLiteral("%1 %").arg(value, 0, 'f', 1);
}

QString totals(const Count &c)
{
    return CliText::tr("devices: %1, passed: %2, failed: %3, yield: %4")
        .arg(c.devices)
        .arg(c.devices - c.failed)
        .arg(c.failed)
        .arg(percent(c.yield()));
}

QString brokenLine(const Yield &y)
{
    if (y.broken == 0)
        return QString();
    return CliText::tr("broken lines skipped: %1 (%2%3)")
        .arg(y.broken)
        .arg(y.brokenAt.join(QStringLiteral(", ")),
             y.broken > kBrokenNamed ? QStringLiteral(", ...") : QString());
}

// Columns padded to their widest cell.
QString table(const QString &title, const QVector<Row> &rows)
{
    QVector<QStringList> cells = {{title, CliText::tr("DEVICES"), CliText::tr("PASSED"),
                                   CliText::tr("FAILED"), CliText::tr("YIELD")}};
    for (const Row &r : rows) {
        cells.append({r.label, QString::number(r.count.devices),
                      QString::number(r.count.devices - r.count.failed),
                      QString::number(r.count.failed), percent(r.count.yield())});
    }
    QVector<int> widths(cells.first().size());
    for (const QStringList &line : cells) {
        for (int c = 0; c < line.size(); ++c)
            widths[c] = qMax(widths[c], int(line.at(c).size()));
    }
    QString out;
    for (const QStringList &line : cells) {
        QString text;
        for (int c = 0; c < line.size(); ++c)
            text += c == 0 ? line.at(c).leftJustified(widths[c] + 2)
                           : line.at(c).rightJustified(widths[c]) + QStringLiteral("  ");
        out += text.trimmed() + QLatin1Char('\n');
    }
    return out + QLatin1Char('\n');
}

QString plainText(const Yield &y)
{
    QString out = CliText::tr("reports: %1").arg(y.reports) + QLatin1Char('\n');
    if (y.broken > 0)
        out += brokenLine(y) + QLatin1Char('\n');
    out += totals(y.all) + QStringLiteral("\n\n");
    if (y.all.devices == 0)
        return out;
    out += table(CliText::tr("SLOT"), y.bySlot) + table(CliText::tr("JOB"), y.byJob)
        + table(CliText::tr("DAY (UTC)"), y.byDay);
    if (!y.failures.isEmpty()) {
        out += CliText::tr("FAILURES SEEN MOST") + QLatin1Char('\n');
        for (const auto &f : y.failures)
            out += QString::number(f.second).rightJustified(5) + QStringLiteral("  ") + f.first
                + QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    for (const QString &check : y.checks)
        out += check + QLatin1Char('\n');
    return out;
}

// One horizontal bar a row: green for the passed share, red for the failed, the yield and
// the counts beside it; a slot that stands out in red.
// The labels' width, the same for every chart, so that their bars line up.
int labelWidth(const QVector<Row> &rows)
{
    constexpr int kCharWidth = 8;
    int longest = 0;
    for (const Row &r : rows)
        longest = qMax(longest, int(r.label.size()));
    return qBound(60, longest * kCharWidth + 20, 320);
}

QString barChart(const QVector<Row> &rows, int label)
{
    constexpr int kBar = 520, kRow = 26, kHeight = 18, kRight = 220;
    const int width = label + kBar + kRight;
    QString svg = QStringLiteral("<svg viewBox=\"0 0 %1 %2\" width=\"%1\" role=\"img\">")
                      .arg(width)
                      .arg(rows.size() * kRow + 4);
    for (int i = 0; i < rows.size(); ++i) {
        const Row &r = rows.at(i);
        const int y = i * kRow + 2;
        const double passed = kBar * r.count.yield() / 100;
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"end\"%3>%4</text>")
                   .arg(label - 10)
                   .arg(y + 14)
                   .arg(r.suspect ? QStringLiteral(" class=\"bad\"") : QString())
                   .arg(r.label.toHtmlEscaped());
        svg += QStringLiteral(
                   "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"#2e7d32\"/>"
                   "<rect x=\"%5\" y=\"%2\" width=\"%6\" height=\"%4\" "
                   "fill=\"#c62828\"/>")
                   .arg(label)
                   .arg(y)
                   .arg(passed, 0, 'f', 1)
                   .arg(kHeight)
                   .arg(label + passed, 0, 'f', 1)
                   .arg(kBar - passed, 0, 'f', 1);
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\"%3>%4</text>")
                   .arg(label + kBar + 10)
                   .arg(y + 14)
                   .arg(r.suspect ? QStringLiteral(" class=\"bad\"") : QString())
                   .arg(CliText::tr("%1  (%2 of %3 failed)")
                            .arg(percent(r.count.yield()))
                            .arg(r.count.failed)
                            .arg(r.count.devices));
    }
    return svg + QStringLiteral("</svg>\n");
}

QString htmlTable(const QString &title, const QVector<Row> &rows)
{
    QString out
        = QStringLiteral("<table><tr><th>%1</th><th>%2</th><th>%3</th><th>%4</th><th>%5</th>"
                         "</tr>\n")
              .arg(title, CliText::tr("devices"), CliText::tr("passed"), CliText::tr("failed"),
                   CliText::tr("yield"));
    for (const Row &r : rows) {
        out += QStringLiteral("<tr%1><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td>"
                              "</tr>\n")
                   .arg(r.suspect ? QStringLiteral(" class=\"bad\"") : QString(),
                        r.label.toHtmlEscaped(), QString::number(r.count.devices),
                        QString::number(r.count.devices - r.count.failed),
                        QString::number(r.count.failed), percent(r.count.yield()));
    }
    return out + QStringLiteral("</table>\n");
}

QString page(const Yield &y, const QStringList &reports, const CliOptions &opt)
{
    QString out
        = QStringLiteral(
              "<!DOCTYPE html>\n<html lang=\"%1\"><head><meta charset=\"utf-8\">"
              "<title>%2</title><style>\n"
              "body{font:15px/1.4 sans-serif;margin:24px;color:#222;max-width:960px}\n"
              "h1{font-size:24px;margin:0 0 4px}h2{font-size:18px;margin:28px 0 8px}\n"
              ".sub{color:#666}.cards{display:flex;gap:12px;margin:16px 0}\n"
              ".card{border:1px solid #ccc;border-radius:6px;padding:8px 16px;min-width:110px}\n"
              ".card b{display:block;font-size:28px}.check{border:2px solid #c62828;"
              "background:#fdecea;border-radius:6px;padding:8px 16px}\n"
              ".bad{color:#c62828;fill:#c62828;font-weight:bold}svg text{font:14px sans-serif}\n"
              "table{border-collapse:collapse}td,th{padding:3px 12px;border-bottom:1px solid #ddd;"
              "text-align:right}td:first-child,th:first-child{text-align:left}\n"
              "</style></head><body>\n")
              // The page's language is that of its texts.
              .arg(CliText::tr("en", "language code of the page"), CliText::tr("Yield"));
    // Which records: the reports and what picked them.
    QStringList picked = {reports.join(QStringLiteral(", "))};
    if (!opt.since.isEmpty())
        picked << CliText::tr("since %1").arg(opt.since);
    if (!opt.job.isEmpty())
        picked << CliText::tr("job %1").arg(opt.job);
    if (!opt.station.isEmpty())
        picked << CliText::tr("station %1").arg(opt.station);
    out += QStringLiteral("<h1>%1</h1><div class=\"sub\">%2</div>\n")
               .arg(CliText::tr("Yield"), picked.join(QStringLiteral(" \u00b7 ")).toHtmlEscaped());
    if (y.broken > 0)
        out += QStringLiteral("<p class=\"sub\">%1</p>\n").arg(brokenLine(y).toHtmlEscaped());
    const QString cards[][2]
        = {{CliText::tr("devices"), QString::number(y.all.devices)},
           {CliText::tr("passed"), QString::number(y.all.devices - y.all.failed)},
           {CliText::tr("failed"), QString::number(y.all.failed)},
           {CliText::tr("yield"), percent(y.all.yield())}};
    out += QStringLiteral("<div class=\"cards\">");
    for (const auto &card : cards)
        out += QStringLiteral("<div class=\"card\">%1<b>%2</b></div>").arg(card[0], card[1]);
    out += QStringLiteral("</div>\n");
    if (!y.checks.isEmpty()) {
        out += QStringLiteral("<div class=\"check\">");
        for (const QString &check : y.checks)
            out += QStringLiteral("<p class=\"bad\">%1</p>").arg(check.toHtmlEscaped());
        out += QStringLiteral("</div>\n");
    }
    const int labels = labelWidth(y.bySlot + y.byDay);
    const auto heading
        = [](const QString &text) { return QStringLiteral("<h2>%1</h2>\n").arg(text); };
    out += heading(CliText::tr("Yield per slot")) + barChart(y.bySlot, labels)
        + heading(CliText::tr("Yield per day (UTC)")) + barChart(y.byDay, labels);
    out += heading(CliText::tr("By slot")) + htmlTable(CliText::tr("slot"), y.bySlot)
        + heading(CliText::tr("By job")) + htmlTable(CliText::tr("job"), y.byJob)
        + heading(CliText::tr("By day (UTC)")) + htmlTable(CliText::tr("day"), y.byDay);
    if (!y.failures.isEmpty()) {
        out += heading(CliText::tr("Failures seen most"))
            + QStringLiteral("<table><tr><th>%1</th><th>%2</th></tr>\n")
                  .arg(CliText::tr("failure"), CliText::tr("count"));
        for (const auto &f : y.failures) {
            out += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n")
                       .arg(f.first.toHtmlEscaped(), QString::number(f.second));
        }
        out += QStringLiteral("</table>\n");
    }
    return out + QStringLiteral("</body></html>\n");
}

}  // namespace

ExitStatus printStats(const CliOptions &opt, const QStringList &reports)
{
    Filter filter{QDateTime(), opt.job, opt.station};
    if (!opt.since.isEmpty()) {
        // A day or a time, UTC unless it says otherwise.
        static const QRegularExpression form(QStringLiteral(
            "^\\d{4}-\\d\\d-\\d\\d(T\\d\\d:\\d\\d(:\\d\\d)?)?(Z|[+-]\\d\\d:\\d\\d)?$"));
        QString since = opt.since;
        if (since.size() == 10)
            since += QStringLiteral("T00:00:00");
        if (!since.contains(QRegularExpression(QStringLiteral("(Z|[+-]\\d\\d:\\d\\d)$"))))
            since += QLatin1Char('Z');
        filter.since = QDateTime::fromString(since, Qt::ISODate).toUTC();
        if (!form.match(opt.since).hasMatch() || !filter.since.isValid()) {
            return fail(ExitUsage,
                        CliText::tr("--since wants a day like 2026-12-07 or a time like "
                                    "2026-12-07T14:00 (UTC); not %1")
                            .arg(opt.since));
        }
    }
    Yield y;
    if (const ExitStatus s = collect(reports, filter, &y))
        return s;
    if (!opt.html.isEmpty()) {
        QSaveFile file(opt.html);
        const QByteArray html = page(y, reports, opt).toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(html) != html.size() || !file.commit()) {
            return fail(ExitUsage,
                        CliText::tr("cannot write %1: %2").arg(opt.html, file.errorString()));
        }
    }
    writeOut(plainText(y).toUtf8());
    return ExitOk;
}
