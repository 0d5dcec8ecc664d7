#include "link/serial.h"

#include "translations/texts.h"

#include <QCoreApplication>
#include <QTimer>

// The window's worker: its messages are Russian wherever it is built in.
Q_COREAPP_STARTUP_FUNCTION(installRussianTexts)

Serial::Serial(QObject *parent)
    : QObject(parent)
    , m_replyTimer(new QTimer(this))
    , m_quietTimer(new QTimer(this))
    , m_port(new QSerialPort(this))
    , m_exchange(m_port, this)
{
    m_port->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    m_replyTimer->setSingleShot(true);
    m_quietTimer->setSingleShot(true);
    // The window's reply time has always started at the write call, and a request that waited
    // for a line that never went quiet is still sent: the engineer sees why it may fail.
    m_exchange.setReplyClock(Exchange::FromWriteCall);
    m_exchange.setLineGivenUp(Exchange::WaitingGoesAhead);
    connect(m_port, &QSerialPort::readyRead, this, &Serial::getData);
#ifdef Q_OS_WIN
    // Windows reports the end of a write through the event loop, and the reply may be read
    // before it: the reply waits in the port's buffer until the write is done.
    connect(m_port, &QSerialPort::bytesWritten, this, [this] {
        if (m_port->bytesToWrite() == 0 && m_port->bytesAvailable() > 0)
            getData();
    });
#endif
    connect(m_port, &QSerialPort::errorOccurred, &m_exchange, &Exchange::portFailed);
    connect(m_replyTimer, &QTimer::timeout, this, &Serial::timeoutHandle);
    connect(m_quietTimer, &QTimer::timeout, this, &Serial::checkLine);
    connect(&m_exchange, &Exchange::timerWanted, this, [this](Exchange::Timer timer, int ms) {
        QTimer *t = timer == Exchange::ReplyTimer ? m_replyTimer : m_quietTimer;
        if (ms < 0)
            t->stop();
        else
            t->start(ms);
    });
    connect(&m_exchange, &Exchange::lineSuspect, this, &Serial::lineSuspect);
    connect(&m_exchange, &Exchange::noisyLine, this,
            [this](const PortFailure &f) { emit noisyLine(portFailureText(f)); });
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
    // A late reply on another port concerns no request of this one.
    if (m_exchange.isLineSuspect() && portName != m_exchange.portName())
        m_exchange.releaseLine();
    m_exchange.setPortName(portName);
    m_exchange.setTimeout(timeout);
    ExchangeReply *reply = m_exchange.send(data);
    if (reply->isFinished())
        report(reply);
    else
        connect(reply, &ExchangeReply::finished, this, [this, reply] { report(reply); });
}

void Serial::report(ExchangeReply *reply)
{
    switch (reply->error()) {
    case ExchangeReply::NoError:
        emit dataReady(reply->payload());
        break;
    case ExchangeReply::NoReply:
        emit errorMsg(noReplyText());
        break;
    case ExchangeReply::BadChecksum:
        // Named, so that a request that went to the wrong port shows where it went.
        emit errorMsg(tr("Error reading the data!\nPort: %1").arg(m_exchange.portName()));
        break;
    case ExchangeReply::PortError:
    case ExchangeReply::NoisyLine:
        emit errorMsg(portFailureText(reply->portFailure()));
        break;
    case ExchangeReply::Cancelled:
        break;
    }
    reply->deleteLater();
}

// Named, so that a request that went to the wrong port shows where it went; then what to check
// first.
QString Serial::noReplyText() const
{
    return tr("The device does not answer!\nPort: %1\nCheck the device's power, the cable and the "
              "port choice.")
        .arg(m_exchange.portName());
}

void Serial::clear()
{
    m_exchange.clear();
}

void Serial::usePort(QString portName)
{
    if (m_exchange.isLineSuspect() && portName != m_exchange.portName())
        m_exchange.releaseLine();
}

void Serial::getData()
{
#ifdef Q_OS_WIN
    if (m_exchange.isAwaitingReply() && m_port->bytesToWrite() > 0)
        return;  // read once the write is done
#endif
    m_exchange.readPort();
}

void Serial::timeoutHandle()
{
    if (m_exchange.isAwaitingReply()) {
        m_exchange.replyTimedOut();
        return;
    }
    // Called with no reply awaited, it still says what it always has.
    emit errorMsg(noReplyText());
}

void Serial::checkLine()
{
    m_exchange.checkLine();
}

void Serial::closePort()
{
    if (m_port->isOpen())
        m_port->close();
}
