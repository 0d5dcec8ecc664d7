// Several ports at once, as a gang programmer does them: one thread, port and reply timer per
// device, so that a slow or dead one holds up no other; one verdict per device at the end.
#include "cli/runner.h"

#include "cli/console.h"
#include "cli/events.h"
#include "cli/fixture.h"
#include "cli/progress.h"
#include "cli/screen.h"
#include "cli/transaction.h"
#include "link/protocol.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>
#include <vector>

namespace {

// A job of a few requests is over before a progress line could tell anything.
constexpr qint64 kProgressWorthBytes = 4 * proto::kChunkSize;

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

QString slotTag(const Slot &slot, const SystemPort &port)
{
    QStringList parts;
    if (!slot.name.isEmpty())
        parts << slot.name;
    parts << (port.name.isEmpty() ? (slot.name.isEmpty() ? slot.value : QString()) : port.name);
    const QString location
        = port.location.isEmpty() && slot.by == Slot::ByLocation ? slot.value : port.location;
    if (!location.isEmpty())
        parts << QStringLiteral("(%1)").arg(location);
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

DeviceRun runDevice(const CliOptions &opt, const Job &job, const Slot &slot, const SystemPort &port,
                    int device, Transaction *session)
{
    DeviceRun run;
    run.slot = slot.name;
    run.port = port;
    run.start = QDateTime::currentDateTimeUtc();
    takeFailures();  // what went wrong before belongs to no device
    DeviceEvents events({slot.name, port.path, qMax(1, device)}, job.command);
    std::unique_ptr<Transaction> own;
    if (!session) {
        own = std::make_unique<Transaction>(port.path, opt.timeoutMs, opt.retries, opt.quiet);
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
        run.status = job.run({port.path, device}, *session, &run.record);
        session->setProgress(nullptr);
    }
    run.end = QDateTime::currentDateTimeUtc();
    run.message = oneLine(run.status == ExitOk ? run.record.done.join(QStringLiteral("; "))
                                               : takeFailures());
    reportRun(job, run);
    events.ended(run.status, run.message);
    return run;
}

ExitStatus runJob(const CliOptions &opt, const QVector<Slot> &slotList,
                  const QVector<SystemPort> &ports, const Job &job)
{
    if (!opt.gang) {
        const DeviceRun run = runDevice(opt, job, slotList.first(), ports.first());
        if (run.status == ExitOk && !opt.quiet && !run.message.isEmpty())
            note(run.message);
        return run.status;
    }

    QVector<SlotVerdict> verdicts(slotList.size());
    QStringList tags;
    for (int i = 0; i < slotList.size(); ++i)
        tags << slotTag(slotList.at(i), ports.at(i));
    std::vector<std::unique_ptr<QThread>> threads;
    if (!opt.quiet)
        startBoard(tags);
    for (int i = 0; i < slotList.size(); ++i) {
        threads.emplace_back(QThread::create([&, i] {
            speakFor(i, tags.at(i));
            SlotVerdict &v = verdicts[i];
            v.port = ports.at(i);
            if (opt.wait) {
                watchFixture(opt, job, slotList.at(i), &v);
                return;
            }
            DeviceRun run;
            if (ports.at(i).path.isEmpty()) {
                // Recorded like a port that cannot be opened.
                run.slot = slotList.at(i).name;
                run.start = run.end = QDateTime::currentDateTimeUtc();
                run.status = fail(ExitLink,
                                  CliText::tr("no adapter with %1 is plugged in")
                                      .arg(identityText(slotList.at(i))));
                run.message = takeFailures();
                reportRun(job, run);
            } else {
                run = runDevice(opt, job, slotList.at(i), ports.at(i));
            }
            v.status = run.status;
            v.text = run.message;
            v.seconds = run.start.msecsTo(run.end) / 1e3;
            v.devices = 1;
            v.passed = run.status == ExitOk;
            v.interrupted = run.status == ExitInterrupted;
            if (!opt.quiet) {
                progressLine(
                    portTag() + resultWord(v.status) + QStringLiteral(": ")
                        + (v.status == ExitInterrupted ? CliText::tr("program it again") : v.text),
                    true);
            }
        }));
        threads.back()->start();
    }
    for (const std::unique_ptr<QThread> &t : threads)
        t->wait();
    endBoard();

    // With --wait, how many devices each slot served; else each slot's one verdict.
    const bool named = !slotList.first().name.isEmpty();
    QVector<QStringList> columns;
    if (named)
        columns << QStringList{CliText::tr("SLOT")};
    columns << QStringList{CliText::tr("PORT")} << QStringList{CliText::tr("LOCATION")}
            << QStringList{CliText::tr("SERIAL")};
    const int first = columns.size();
    if (opt.wait) {
        columns << QStringList{CliText::tr("DEVICES")} << QStringList{QStringLiteral("PASS")}
                << QStringList{QStringLiteral("FAIL")};
    } else {
        columns << QStringList{CliText::tr("RESULT")} << QStringList{CliText::tr("TIME")};
    }
    columns << QStringList{CliText::tr("MESSAGE")};
    ExitStatus worst = ExitOk;
    int devices = 0, passed = 0, interrupted = 0;
    for (int i = 0; i < slotList.size(); ++i) {
        const SlotVerdict &v = verdicts.at(i);
        const Slot &slot = slotList.at(i);
        if (named)
            columns[0] << slot.name;
        columns[first - 3] << orDash(
            v.port.name.isEmpty() && slot.by == Slot::ByName ? slot.value : v.port.name);
        columns[first - 2] << orDash(v.port.location);
        columns[first - 1] << orDash(v.port.serial);
        if (opt.wait) {
            columns[first] << QString::number(v.devices);
            columns[first + 1] << QString::number(v.passed);
            columns[first + 2] << QString::number(v.devices - v.passed);
        } else {
            columns[first] << resultWord(v.status);
            columns[first + 1] << CliText::tr("%1 s").arg(v.seconds, 0, 'f', 1);
        }
        columns.last() << oneLine(v.text);
        worst = qMax(worst, v.status);
        devices += v.devices;
        passed += v.passed;
        interrupted += v.interrupted;
    }
    QStringList out = summaryLines(columns, outputColumns());
    if (opt.wait)
        out << CliText::tr("devices: %1, passed: %2").arg(devices).arg(passed);
    else
        out << CliText::tr("%1 of %2 ports ok").arg(passed).arg(slotList.size());
    if (interrupted > 0) {
        out << (interrupted == 1 ? CliText::tr("interrupted: %1 (program it again)")
                                 : CliText::tr("interrupted: %1 (program them again)"))
                   .arg(interrupted);
    }
    writeOutText(out.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return worst;
}
