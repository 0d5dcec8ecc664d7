// Several ports at once, as a gang programmer does them: one thread, port and reply timer per
// device, so that a slow or dead one holds up no other; one verdict per device at the end.
#include "cli/commands.h"
#include "cli/console.h"

#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <QThread>
#include <QVector>

#include <memory>
#include <vector>

namespace {

struct Verdict
{
    ExitStatus status = ExitOk;
    QString text;  // the success line or the failure messages
    double seconds = 0;
};

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

QString serialNumberOf(const QString &port, const QList<QSerialPortInfo> &system)
{
    for (const QSerialPortInfo &info : system) {
        if (info.portName() == port || info.systemLocation() == port)
            return info.serialNumber();
    }
    return QString();
}

}  // namespace

ExitStatus runGang(const CliOptions &opt, const QStringList &ports, const PortJob &job)
{
    QVector<Verdict> verdicts(ports.size());
    std::vector<std::unique_ptr<QThread>> threads;
    if (!opt.quiet)
        startBoard(ports);
    for (int i = 0; i < ports.size(); ++i) {
        threads.emplace_back(QThread::create([&, i] {
            speakFor(i, ports.at(i));
            CliOptions mine = opt;
            mine.port = ports.at(i);
            QElapsedTimer clock;
            clock.start();
            Verdict &v = verdicts[i];
            QString done;
            v.status = job(mine, &done);
            v.seconds = clock.nsecsElapsed() / 1e9;
            v.text = v.status == ExitOk ? done : takeFailures();
            if (!opt.quiet)
                progressLine(portTag() + resultWord(v.status) + QStringLiteral(": ") + v.text,
                             true);
        }));
        threads.back()->start();
    }
    for (const std::unique_ptr<QThread> &t : threads)
        t->wait();
    endBoard();

    QStringList columns[5] = {{QStringLiteral("PORT")},
                              {QStringLiteral("SERIAL")},
                              {QStringLiteral("RESULT")},
                              {QStringLiteral("TIME")},
                              {QStringLiteral("MESSAGE")}};
    const QList<QSerialPortInfo> system = QSerialPortInfo::availablePorts();
    ExitStatus worst = ExitOk;
    int good = 0;
    for (int i = 0; i < ports.size(); ++i) {
        const Verdict &v = verdicts.at(i);
        const QString serial = serialNumberOf(ports.at(i), system);
        columns[0] << ports.at(i);
        columns[1] << (serial.isEmpty() ? QStringLiteral("-") : serial);
        columns[2] << resultWord(v.status);
        columns[3] << QStringLiteral("%1 s").arg(v.seconds, 0, 'f', 1);
        columns[4] << QString(v.text).replace(QLatin1Char('\n'),
                                              QLatin1String("; "));  // a row a port
        worst = qMax(worst, v.status);
        good += v.status == ExitOk;
    }
    QByteArray table;
    for (int row = 0; row <= ports.size(); ++row) {
        QString line;
        for (int c = 0; c < 4; ++c) {
            int width = 0;
            for (const QString &cell : columns[c])
                width = qMax(width, int(cell.size()));
            line += columns[c].at(row).leftJustified(width + 2);
        }
        table += (line + columns[4].at(row)).trimmed().toLocal8Bit() + '\n';
    }
    table += QStringLiteral("%1 of %2 ports ok\n").arg(good).arg(ports.size()).toLocal8Bit();
    writeOut(table);
    return worst;
}
