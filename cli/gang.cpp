// Several ports at once, as a gang programmer does them: one thread, port and reply timer per
// device, so that a slow or dead one holds up no other; one verdict per device at the end.
#include "cli/runner.h"

#include "cli/console.h"
#include "cli/events.h"
#include "cli/progress.h"
#include "cli/transaction.h"
#include "link/protocol.h"

#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <QThread>

#include <memory>
#include <vector>

namespace {

// A job of a few requests is over before a progress line could tell anything.
constexpr qint64 kProgressWorthBytes = 4 * proto::kChunkSize;

// The summary: columns padded to their widest cell, the last one as it is.
QByteArray table(const QVector<QStringList> &columns)
{
    QByteArray out;
    for (int row = 0; row < columns.first().size(); ++row) {
        QString line;
        for (int c = 0; c + 1 < columns.size(); ++c) {
            int width = 0;
            for (const QString &cell : columns.at(c))
                width = qMax(width, int(cell.size()));
            line += columns.at(c).at(row).leftJustified(width + 2);
        }
        out += (line + columns.last().at(row)).trimmed().toLocal8Bit() + '\n';
    }
    return out;
}

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

}  // namespace

QString resultWord(ExitStatus status)
{
    switch (status) {
    case ExitOk:
        return QStringLiteral("ok");
    case ExitDevice:
        return QStringLiteral("device");
    case ExitUsage:
        return QStringLiteral("input");
    case ExitLink:
        return QStringLiteral("link");
    case ExitInterrupted:
        break;
    }
    return QStringLiteral("interrupted");
}

DeviceRun runDevice(const CliOptions &opt, const Job &job, const PortIdentity &identity,
                    Transaction *session)
{
    DeviceRun run;
    run.port = opt.port;
    run.identity = identity;
    run.start = QDateTime::currentDateTimeUtc();
    takeFailures();  // what went wrong before belongs to no device
    // No slot name yet: the port is the slot.
    DeviceEvents events({QString(), opt.port, qMax(1, opt.device)}, job.command);
    std::unique_ptr<Transaction> own;
    if (!session) {
        own = std::make_unique<Transaction>(opt);
        session = own.get();
        run.status = session->open();
    }
    if (run.status == ExitOk) {
        if (opt.gang && !opt.quiet)
            progressLine(portTag() + job.verb, false);
        JobProgress progress(job.verb, job.lineBytes,
                             opt.quiet || job.lineBytes < kProgressWorthBytes);
        progress.setEvents(&events);
        session->setProgress(&progress);
        run.status = job.run(opt, *session, &run.record);
        session->setProgress(nullptr);
    }
    run.end = QDateTime::currentDateTimeUtc();
    run.message = oneLine(run.status == ExitOk ? run.record.done.join(QStringLiteral("; "))
                                               : takeFailures());
    reportRun(job, run);
    events.ended(run.status, run.message);
    return run;
}

ExitStatus runJob(const CliOptions &opt, const QStringList &ports, const Job &job)
{
    const QList<QSerialPortInfo> system = QSerialPortInfo::availablePorts();
    QVector<PortIdentity> identities;
    for (const QString &port : ports)
        identities << identifyPort(port, system);
    if (!opt.gang) {
        CliOptions mine = opt;
        mine.port = ports.first();
        const DeviceRun run = runDevice(mine, job, identities.first());
        if (run.status == ExitOk && !opt.quiet && !run.message.isEmpty())
            note(run.message);
        return run.status;
    }

    QVector<PortVerdict> verdicts(ports.size());
    std::vector<std::unique_ptr<QThread>> threads;
    if (!opt.quiet)
        startBoard(ports);
    for (int i = 0; i < ports.size(); ++i) {
        threads.emplace_back(QThread::create([&, i] {
            speakFor(i, ports.at(i));
            CliOptions mine = opt;
            mine.port = ports.at(i);
            PortVerdict &v = verdicts[i];
            if (opt.wait) {
                watchFixture(mine, job, identities.at(i), &v);
                return;
            }
            const DeviceRun run = runDevice(mine, job, identities.at(i));
            v = {run.status, run.message, run.start.msecsTo(run.end) / 1e3, 1,
                 run.status == ExitOk};
            if (!opt.quiet)
                progressLine(portTag() + resultWord(v.status) + QStringLiteral(": ") + v.text,
                             true);
        }));
        threads.back()->start();
    }
    for (const std::unique_ptr<QThread> &t : threads)
        t->wait();
    endBoard();

    // With --wait, how many devices each port served; else each port's one verdict.
    QVector<QStringList> columns;
    if (opt.wait) {
        columns
            = {{QStringLiteral("PORT")}, {QStringLiteral("SERIAL")}, {QStringLiteral("DEVICES")},
               {QStringLiteral("PASS")}, {QStringLiteral("FAIL")},   {QStringLiteral("MESSAGE")}};
    } else {
        columns = {{QStringLiteral("PORT")},
                   {QStringLiteral("SERIAL")},
                   {QStringLiteral("RESULT")},
                   {QStringLiteral("TIME")},
                   {QStringLiteral("MESSAGE")}};
    }
    ExitStatus worst = ExitOk;
    int devices = 0, passed = 0;
    for (int i = 0; i < ports.size(); ++i) {
        const PortVerdict &v = verdicts.at(i);
        columns[0] << ports.at(i);
        columns[1] << orDash(identities.at(i).serial);
        if (opt.wait) {
            columns[2] << QString::number(v.devices);
            columns[3] << QString::number(v.passed);
            columns[4] << QString::number(v.devices - v.passed);
        } else {
            columns[2] << resultWord(v.status);
            columns[3] << QStringLiteral("%1 s").arg(v.seconds, 0, 'f', 1);
        }
        columns.last() << oneLine(v.text);
        worst = qMax(worst, v.status);
        devices += v.devices;
        passed += v.passed;
    }
    QByteArray out = table(columns);
    if (opt.wait)
        out += QStringLiteral("devices: %1, passed: %2\n").arg(devices).arg(passed).toLocal8Bit();
    else
        out += QStringLiteral("%1 of %2 ports ok\n").arg(passed).arg(ports.size()).toLocal8Bit();
    writeOut(out);
    return worst;
}
