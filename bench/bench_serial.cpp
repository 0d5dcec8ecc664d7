// Write transactions of 1024 data bytes through the serial worker on its thread, driven by
// queued signals as the window drives it, against the simulator: stop-and-wait.
#include "bench/devsimprocess.h"
#include "link/protocol.h"
#include "link/request.h"
#include "link/serial.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <cstdio>

namespace {

class Driver : public QObject
{
    Q_OBJECT
public:
    Driver(const QString &port, int count)
        : m_port(port)
        , m_left(count)
    {
        const QByteArray data(proto::kChunkSize, '\x3C');
        m_body = buildRequestBody(proto::kOpWrite, proto::kFirmwareBase, data.constData(),
                                  proto::kChunkSize);
    }

    void next()
    {
        if (m_left-- == 0) {
            emit done();
            return;
        }
        emit send(m_port, m_body, proto::kReplyTimeoutMs);
    }
    void onData(const QByteArray &) { next(); }
    void onError(const QString &e)
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(e));
        ++errors;
        next();
    }

    int errors = 0;

signals:
    void send(QString portName, QByteArray data, int timeout);
    void done();

private:
    QString m_port;
    QByteArray m_body;
    int m_left;
};

// Returns seconds for `count` transactions.
double run(const QString &port, int count)
{
    QThread thread;
    Serial *serial = new Serial;
    serial->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, serial, &QObject::deleteLater);
    Driver driver(port, count);
    QObject::connect(&driver, &Driver::send, serial, &Serial::putBuf);
    QObject::connect(serial, &Serial::dataReady, &driver, &Driver::onData);
    QObject::connect(serial, &Serial::errorMsg, &driver, &Driver::onError);
    thread.start();

    QEventLoop loop;
    QObject::connect(&driver, &Driver::done, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    driver.next();
    loop.exec();
    const double seconds = t.nsecsElapsed() / 1e9;
    thread.quit();
    thread.wait();
    if (driver.errors)
        std::printf("  (%d transactions failed)\n", driver.errors);
    return seconds;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int fast = 1000;
    const int slow = argc > 1 ? QByteArray(argv[1]).toInt() : 5;

    DevsimProcess sim;
    if (!sim.start()) {
        std::fprintf(stderr, "cannot start the simulator\n");
        return 1;
    }
    run(sim.path(), 20);  // warm up
    const double s = run(sim.path(), fast);
    std::printf("unthrottled: %d transactions in %.3f s: %.0f per second, %.3f ms each "
                "(port open and close included)\n",
                fast, s, fast / s, s * 1000 / fast);

    DevsimProcess line;
    if (!line.start({QStringLiteral("--baud"), QStringLiteral("9600")}))
        return 1;
    const double limit = slow * (1037.0 + 6.0) * 10 / 9600;
    const double t = run(line.path(), slow);
    std::printf("9600 baud: %d transactions in %.3f s, line-rate limit %.3f s, ratio %.4f, "
                "overhead %.2f ms per transaction\n",
                slow, t, limit, t / limit, (t - limit) * 1000 / slow);
    return 0;
}

#include "bench_serial.moc"
