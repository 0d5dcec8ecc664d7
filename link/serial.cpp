#include "link/serial.h"

#include <QSerialPort>
#include <QTimer>

Serial::Serial(QObject *parent)
    : QObject(parent)
    , m_replyTimer(new QTimer(this))
    , m_port(new QSerialPort(this))
{
    m_port->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    m_replyTimer->setSingleShot(true);
    connect(m_port, &QSerialPort::readyRead, this, &Serial::getData);
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
    if (!m_port->isOpen() && !openPort(portName))
        return;
    m_port->write(encodeFrame(data));
    m_replyTimer->start(timeout);
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
    for (char c : chunk) {
        switch (m_parser.feed(static_cast<quint8>(c))) {
        case FrameParser::NeedMore:
            continue;
        case FrameParser::Frame:
            m_replyTimer->stop();
            closePort();
            emit dataReady(m_parser.payload());
            return;
        case FrameParser::BadChecksum:
            // The timer keeps running: a good frame may still follow.
            emit errorMsg(QStringLiteral("Ошибка чтения данных!"));
            return;
        }
    }
}

void Serial::timeoutHandle()
{
    closePort();
    m_parser.reset();
    emit errorMsg(QStringLiteral("Устройство не отвечает!"));
}

bool Serial::openPort(const QString &portName)
{
    m_port->setPortName(portName);
    if (m_port->open(QIODevice::ReadWrite))
        return true;
    emit errorMsg(m_port->errorString());
    return false;
}

void Serial::closePort()
{
    if (m_port->isOpen())
        m_port->close();
}
