#include "link/serial.h"

#include "link/porterror.h"

#include <QTimer>

Serial::Serial(QObject *parent)
    : QObject(parent)
    , m_replyTimer(new QTimer(this))
    , m_port(new QSerialPort(this))
{
    m_port->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    m_replyTimer->setSingleShot(true);
    connect(m_port, &QSerialPort::readyRead, this, &Serial::getData);
    connect(m_port, &QSerialPort::errorOccurred, this, &Serial::portError);
    connect(m_replyTimer, &QTimer::timeout, this, &Serial::timeoutHandle);
}

Serial::~Serial()
{
    closePort();
    delete m_replyTimer;
    delete m_port;
}

void Serial::putBuf(QString portName, QByteArray data, int timeout)
{
    // The window sends one request at a time; a request that overtakes another ends it.
    finish();
    if (!openPort(portName))
        return;
    // Whatever waits in the port is left over from an earlier exchange, never this reply.
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    // Armed before the write: a write that fails at once ends the request through portError.
    m_active = true;
    m_replyTimer->start(timeout);
    m_port->write(encodeFrame(data));
}

void Serial::clear()
{
    m_port->clear(QSerialPort::AllDirections);
    closePort();
    m_parser.reset();
}

void Serial::getData()
{
    const QByteArray chunk = m_port->readAll();
    // The device answers only what it has received whole: anything before that is not our reply.
    if (!m_active || m_port->bytesToWrite() > 0)
        return;
    for (char c : chunk) {
        switch (m_parser.feed(static_cast<quint8>(c))) {
        case FrameParser::NeedMore:
            continue;
        case FrameParser::Frame: {
            const QByteArray payload = m_parser.payload();
            finish();
            emit dataReady(payload);
            return;
        }
        case FrameParser::BadChecksum:
            finish();
            emit errorMsg(QStringLiteral("Ошибка чтения данных!"));
            return;
        }
    }
}

void Serial::timeoutHandle()
{
    finish();
    // Named, so that a request that went to the wrong port shows where it went.
    emit errorMsg(QStringLiteral("Устройство не отвечает!\nПорт: ") + m_requestedPort);
}

void Serial::portError(QSerialPort::SerialPortError error)
{
    // Open failures are reported by openPort; a vanished adapter or a hang-up ends the request
    // at once, and closing the port keeps the dead descriptor from waking us up again and again.
    if (error == QSerialPort::NoError || !m_active)
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
