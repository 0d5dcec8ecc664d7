#pragma once

#include "link/frame.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;
class QTimer;

// Owns the port and carries out one request/reply transaction at a time. Lives on its own
// thread; the window reaches it only through queued signals.
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

    QTimer *m_replyTimer;
    QSerialPort *m_port;
    FrameParser m_parser;
};
