// --wait: a fixture that runs by itself. Each slot waits quietly for a device, runs the job on
// it, records it, waits until it is taken off, and starts over, until Ctrl+C. An adapter that
// goes away is looked for again by the slot's identity and taken up where the slot was.
#include "cli/fixture.h"

#include "cli/console.h"
#include "cli/events.h"
#include "cli/interrupt.h"
#include "cli/transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {

constexpr int kProbeIntervalMs = 500;
// A device answers a version request within some 30 ms at 9600 baud.
constexpr int kProbeTimeoutMs = 250;
constexpr int kSleepSliceMs = 50;  // how soon an interrupt is noticed between probes

// False when Ctrl+C came meanwhile.
bool pause(qint64 ms)
{
    QElapsedTimer clock;
    clock.start();
    for (qint64 left; (left = ms - clock.elapsed()) > 0 && !interrupted();)
        QThread::msleep(ulong(qMin<qint64>(left, kSleepSliceMs)));
    return !interrupted();
}

// Probes every half second until the device is there (or gone); ExitOk then, ExitLink when
// the port fails.
ExitStatus awaitDevice(const CliOptions &opt, Transaction &tx, bool present)
{
    for (;;) {
        QElapsedTimer clock;
        clock.start();
        bool answered = false;
        if (const ExitStatus s = tx.probe(qMin(opt.timeoutMs, kProbeTimeoutMs), &answered))
            return s;
        if (answered == present)
            return ExitOk;
        if (!pause(kProbeIntervalMs - clock.elapsed()))
            return ExitInterrupted;
    }
}

// The slot's line: on a terminal its row, in a log a line each time it changes.
class SlotLine
{
public:
    explicit SlotLine(const CliOptions &opt)
        : m_quiet(opt.quiet)
    {
    }
    void show(const QString &text)
    {
        if (m_quiet || text == m_shown)
            return;
        m_shown = text;
        if (stderrIsTerminal())
            progressLine(portTag() + text, false);
        else
            note(portTag() + text);
    }

private:
    bool m_quiet;
    QString m_shown;
};

}  // namespace

void watchFixture(const CliOptions &opt, const Job &job, const Slot &slot, SlotVerdict *verdict)
{
    SlotLine line(opt);
    int device = 0;  // the last one served, from 1
    QElapsedTimer clock;
    clock.start();
    // The tool cannot tell a device it served (or that was cut off) from a new one: such a
    // device must be taken off before the slot serves again.
    bool holdsServed = false;
    QString done, problem, lastFailure;
    bool cutOff = false;  // Ctrl+C came while a device was being served
    bool lost = false;    // the slot's adapter is missing: said once, and once when it is back
    setMuted(true);
    while (!interrupted()) {
        const QVector<SystemPort> matches = matchSlot(slot, systemPorts(systemRoot()));
        if (matches.size() != 1) {
            QStringList names;
            for (const SystemPort &p : matches)
                names << p.name;
            problem = matches.isEmpty()
                ? CliText::tr("adapter lost: waiting for it")
                : CliText::tr("ambiguous: %1 matches %2; waiting for one of them to go")
                      .arg(identityText(slot), names.join(QStringLiteral(", ")));
            if (matches.isEmpty() && !lost) {
                adapterLost({slot.name, verdict->port.path, qMax(1, device)});
                lost = true;
            }
            setTag(slotTag(slot, {}));
            line.show(problem);
            pause(kProbeIntervalMs);
            continue;
        }
        verdict->port = matches.first();
        if (lost) {
            adapterBack({slot.name, verdict->port.path, qMax(1, device)});
            lost = false;
        }
        setTag(slotTag(slot, verdict->port));
        Transaction tx(verdict->port.path, opt.timeoutMs, opt.retries, opt.quiet);
        ExitStatus status = tx.open();
        while (status == ExitOk) {
            problem.clear();
            if (holdsServed) {
                line.show(done);
                if ((status = awaitDevice(opt, tx, false)) != ExitOk)
                    break;
                holdsServed = false;
            }
            line.show(verdict->devices == 0 ? CliText::tr("waiting for a device")
                                            : CliText::tr("waiting for a device (%1 done, %2 PASS)")
                                                  .arg(verdict->devices)
                                                  .arg(verdict->passed));
            if ((status = awaitDevice(opt, tx, true)) != ExitOk)
                break;
            ++device;
            setMuted(false);
            const DeviceRun run = runDevice(opt, job, slot, verdict->port, device, &tx);
            setMuted(true);
            holdsServed = true;
            ++verdict->devices;
            verdict->passed += run.status == ExitOk;
            verdict->status = qMax(verdict->status, run.status);
            if (run.status != ExitOk)
                lastFailure = CliText::tr("device %1: %2").arg(device).arg(run.message);
            if (run.status == ExitInterrupted) {
                ++verdict->interrupted;
                cutOff = true;
                status = ExitInterrupted;
                break;
            }
            if (run.status != ExitOk) {
                done
                    = CliText::tr("done: FAIL (%1), remove the device").arg(resultWord(run.status));
            } else {
                done = CliText::tr("done: PASS, remove the device");
            }
        }
        if (status == ExitInterrupted)
            break;
        // The port failed: the adapter is gone (the next look says so), or the port is there
        // but cannot be used now.
        problem = takeFailures().section(QLatin1Char('\n'), 0, 0);
        if (matchSlot(slot, systemPorts(systemRoot())).size() == 1) {
            line.show(CliText::tr("port failed, trying again: %1").arg(problem));
            pause(kProbeIntervalMs);
        }
    }
    line.show(
        cutOff
            ? resultWord(ExitInterrupted) + QStringLiteral(": ") + CliText::tr("program it again")
            : CliText::tr("stopped: %1 done, %2 PASS").arg(verdict->devices).arg(verdict->passed));
    takeFailures();
    setMuted(false);
    verdict->text = lastFailure.isEmpty() ? problem : lastFailure;
    verdict->seconds = clock.elapsed() / 1e3;
}
