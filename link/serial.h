#pragma once

#include "link/exchange.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

class QTimer;

// Owns the port and carries out one request/reply transaction at a time. Lives on its own
// thread; the window reaches it only through queued signals. Every request ends in exactly one
// dataReady or one errorMsg, after which the port is closed. A request that failed for want of
// its reply leaves the line suspect: the port stays open and the next request waits until the
// line is clean, announced by lineSuspect(true) before the errorMsg and lineSuspect(false).
// A line that keeps talking for a reply timeout after the failure is closed and reported once,
// by noisyLine; the waiting request then goes ahead.
class Serial : public QObject
{
    Q_OBJECT
public:
    explicit Serial(QObject *parent = nullptr);
    ~Serial() override;

signals:
    void dataReady(QByteArray buf);
    void errorMsg(QString error);
    void lineSuspect(bool suspect);
    void noisyLine(QString error);

public slots:
    void putBuf(QString portName, QByteArray data, int timeout);
    void clear();
    // The engineer chose portName: a wait for another port's line to go quiet is over.
    void usePort(QString portName);

private slots:
    void getData();
    void timeoutHandle();
    void checkLine();

private:
    void report(ExchangeReply *reply);
    QString noReplyText() const;
    void closePort();

    QTimer *m_replyTimer;
    QTimer *m_quietTimer;
    QSerialPort *m_port;
    Exchange m_exchange;
};
