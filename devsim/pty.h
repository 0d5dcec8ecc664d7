#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The master side of a pseudo-terminal pair in raw mode. The slave stays open on our side
// too, so the master never sees a hang-up while the program closes and reopens its end.
class Pty : public QObject
{
    Q_OBJECT
public:
    explicit Pty(QObject *parent = nullptr);
    ~Pty() override;

    bool open();  // false with errorString() set
    void close();
    bool isOpen() const { return m_master >= 0; }

    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

    QByteArray readAll();                    // what the program wrote, without waiting
    bool write(const QByteArray &bytes);     // to the program, whole
    int writeSome(const QByteArray &bytes);  // what the terminal takes now, without waiting
    int unreadByProgram() const;             // bytes written but not yet read on the slave side

signals:
    void readyRead();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
};
