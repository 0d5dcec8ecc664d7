// --wait: a fixture that runs by itself. Each port waits quietly for a device, runs the job on
// it, records it, waits until it is taken off, and starts over, until Ctrl+C.
#include "cli/runner.h"

#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/transaction.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

constexpr int kProbeIntervalMs = 500;
// A device answers a version request within some 30 ms at 9600 baud.
constexpr int kProbeTimeoutMs = 250;
constexpr int kSleepSliceMs = 50;  // how soon an interrupt is noticed between probes

// Probes every half second until the device is there (or gone); ExitOk then.
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
        for (qint64 left; (left = kProbeIntervalMs - clock.elapsed()) > 0;) {
            if (interrupted())
                return ExitInterrupted;
            QThread::msleep(ulong(qMin<qint64>(left, kSleepSliceMs)));
        }
    }
}

void show(const CliOptions &opt, const QString &text)
{
    if (opt.quiet)
        return;
    if (stderrIsTerminal())
        progressLine(portTag() + text, false);
    else
        note(portTag() + text);
}

}  // namespace

void watchFixture(const CliOptions &options, const Job &job, const PortIdentity &identity,
                  PortVerdict *verdict)
{
    CliOptions opt = options;
    QElapsedTimer clock;
    clock.start();
    Transaction tx(opt);  // sees opt.device change from device to device
    ExitStatus status = tx.open();
    while (status == ExitOk) {
        show(opt,
             verdict->devices == 0 ? QStringLiteral("waiting for a device")
                                   : QStringLiteral("waiting for a device (%1 done, %2 "
                                                    "PASS)")
                                         .arg(verdict->devices)
                                         .arg(verdict->passed));
        if ((status = awaitDevice(opt, tx, true)) != ExitOk)
            break;
        ++opt.device;
        const DeviceRun run = runDevice(opt, job, identity, &tx);
        ++verdict->devices;
        verdict->passed += run.status == ExitOk;
        verdict->status = qMax(verdict->status, run.status);
        if (run.status == ExitInterrupted)
            break;
        show(
            opt,
            run.status == ExitOk
                ? QStringLiteral("done: PASS, remove the device")
                : QStringLiteral("done: FAIL (%1), remove the device").arg(resultWord(run.status)));
        status = awaitDevice(opt, tx, false);
    }
    // Ctrl+C between devices ends the watch, and is no device's failure.
    if (status != ExitInterrupted) {
        verdict->status = qMax(verdict->status, status);
        verdict->text = takeFailures();
    }
    verdict->seconds = clock.elapsed() / 1e3;
}
