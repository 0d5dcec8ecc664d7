#pragma once

#include "link/frame.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

class QTimer;

// Owns the port and carries out one request/reply transaction at a time. Lives on its own
// thread; the window reaches it only through queued signals. Every request ends in exactly one
// dataReady or one errorMsg, after which the port is closed.
class Serial : public QObject
{
    Q_OBJECT
public:
    explicit Serial(QObject *parent = nullptr);
    ~Serial() override;

signals:
    void dataReady(QByteArray buf);
    void errorMsg(QString error);

public slots:
    void putBuf(QString portName, QByteArray data, int timeout);
    void clear();

private slots:
    void getData();
    void timeoutHandle();

private:
    bool openPort(const QString &portName);
    void closePort();
    void portError(QSerialPort::SerialPortError error);
    QString failureText(QSerialPort::SerialPortError error) const;
    void finish();

    QTimer *m_replyTimer;
    QSerialPort *m_port;
    FrameParser m_parser;
    QString m_requestedPort;
    bool m_active = false;  // a request is out and its outcome not yet reported
};
