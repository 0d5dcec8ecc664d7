#include "link/serial.h"

#include "link/porterror.h"

#include <QTimer>

#include <utility>

Serial::Serial(QObject *parent)
    : QObject(parent)
    , m_replyTimer(new QTimer(this))
    , m_quietTimer(new QTimer(this))
    , m_port(new QSerialPort(this))
{
    m_port->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    m_replyTimer->setSingleShot(true);
    m_quietTimer->setSingleShot(true);
    m_clock.start();
    connect(m_port, &QSerialPort::readyRead, this, &Serial::getData);
#ifdef Q_OS_WIN
    // Windows reports the end of a write through the event loop, and the reply may be read
    // before it: the reply waits in the port's buffer until the write is done.
    connect(m_port, &QSerialPort::bytesWritten, this, [this] {
        if (m_port->bytesToWrite() == 0 && m_port->bytesAvailable() > 0)
            getData();
    });
#endif
    connect(m_port, &QSerialPort::errorOccurred, this, &Serial::portError);
    connect(m_replyTimer, &QTimer::timeout, this, &Serial::timeoutHandle);
    connect(m_quietTimer, &QTimer::timeout, this, &Serial::checkLine);
}

Serial::~Serial()
{
    closePort();
    delete m_replyTimer;
    delete m_quietTimer;
    delete m_port;
}

void Serial::putBuf(QString portName, QByteArray data, int timeout)
{
    if (m_guard.isSuspect()) {
        if (portName == m_requestedPort) {
            m_deferred = {{portName, data, timeout}};
            return;
        }
        endSuspicion();  // a late reply on another port concerns no request of this one
    }
    // The window sends one request at a time; a request that overtakes another ends it.
    finish();
    if (!openPort(portName))
        return;
    // Whatever waits in the port is left over from an earlier exchange, never this reply.
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    // Armed before the write: a write that fails at once ends the request through portError.
    m_active = true;
    m_timeout = timeout;
    m_replyTimer->start(timeout);
    m_port->write(encodeFrame(data));
}

void Serial::clear()
{
    m_guard.clear();
    m_quietTimer->stop();
    m_deferred.clear();
    m_port->clear(QSerialPort::AllDirections);
    closePort();
    m_parser.reset();
}

void Serial::usePort(QString portName)
{
    if (m_guard.isSuspect() && portName != m_requestedPort)
        endSuspicion();
}

void Serial::getData()
{
#ifdef Q_OS_WIN
    if (m_active && m_port->bytesToWrite() > 0)
        return;  // read once the write is done
#endif
    const QByteArray chunk = m_port->readAll();
    if (m_guard.isSuspect()) {
        m_guard.discard(chunk, m_clock.elapsed());
        checkLine();
        return;
    }
    // The device answers only what it has received whole: anything before that is not our reply.
    if (!m_active || m_port->bytesToWrite() > 0)
        return;
    for (int i = 0; i < chunk.size(); ++i) {
        switch (m_parser.feed(static_cast<quint8>(chunk.at(i)))) {
        case FrameParser::NeedMore:
            continue;
        case FrameParser::Frame: {
            const QByteArray payload = m_parser.payload();
            finish();
            emit dataReady(payload);
            return;
        }
        case FrameParser::BadChecksum:
            failRequest(QStringLiteral("Ошибка чтения данных!\nПорт: ") + m_requestedPort, true);
            m_guard.discard(chunk.mid(i + 1), m_clock.elapsed());
            return;
        }
    }
}

void Serial::timeoutHandle()
{
    // Named, so that a request that went to the wrong port shows where it went.
    failRequest(QStringLiteral("Устройство не отвечает!\nПорт: ") + m_requestedPort
                    + QStringLiteral("\nПроверьте питание устройства, кабель и выбор порта."),
                false);
}

void Serial::failRequest(const QString &text, bool frameSeen)
{
    m_active = false;
    m_replyTimer->stop();
    m_parser.reset();
    m_guard.suspect(m_clock.elapsed(), m_timeout, frameSeen);
    emit lineSuspect(true);
    emit errorMsg(text);
    // Through the event loop, so that the bytes after a bad frame count before we look.
    m_quietTimer->start(0);
}

void Serial::checkLine()
{
    const int quiet = m_guard.quietNeeded(m_clock.elapsed());
    if (quiet > 0)
        m_quietTimer->start(quiet);
    else if (quiet == LineGuard::kNoisy)
        endSuspicion(portFailureText(noisyPort(m_requestedPort)));
    else
        endSuspicion();
}

void Serial::endSuspicion(const QString &notice)
{
    m_guard.clear();
    m_quietTimer->stop();
    closePort();
    emit lineSuspect(false);
    if (!notice.isEmpty())
        emit noisyLine(notice);
    const QList<Deferred> deferred = std::exchange(m_deferred, {});
    for (const Deferred &d : deferred)
        putBuf(d.portName, d.data, d.timeout);
}

void Serial::portError(QSerialPort::SerialPortError error)
{
    // Open failures are reported by openPort; a vanished adapter or a hang-up ends the request
    // at once, and closing the port keeps the dead descriptor from waking us up again and again.
    if (error == QSerialPort::NoError)
        return;
    if (m_guard.isSuspect()) {
        // Nothing more can arrive on a port that failed: the next request reopens it.
        endSuspicion();
        return;
    }
    if (!m_active)
        return;
    const QString text = failureText(error);
    finish();
    emit errorMsg(text);
}

bool Serial::openPort(const QString &portName)
{
    m_requestedPort = portName;
    m_port->setPortName(portName);
    if (m_port->open(QIODevice::ReadWrite))
        return true;
    emit errorMsg(failureText(m_port->error()));
    return false;
}

QString Serial::failureText(QSerialPort::SerialPortError error) const
{
    PortFailure failure = describePortFailure(*m_port, error);
    failure.portName = m_requestedPort;  // as the chooser shows it, not as Qt shortens it
    return portFailureText(failure);
}

void Serial::closePort()
{
    if (m_port->isOpen())
        m_port->close();
}

void Serial::finish()
{
    m_active = false;
    m_replyTimer->stop();
    closePort();
    m_parser.reset();
}
