#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The simulator as a process of its own, so that its work does not share our threads.
class DevsimProcess
{
public:
    ~DevsimProcess();
    // Waits for the terminals' paths, one a line; `devices` is what --devices asks for.
    bool start(const QStringList &args = {}, int devices = 1);
    QString path() const { return m_paths.value(0); }
    QStringList paths() const { return m_paths; }
    qint64 processId() const { return m_process.processId(); }

private:
    QProcess m_process;
    QStringList m_paths;
};

// A firmware image of the largest size, written to path; false if it could not be written.
bool writeFullImage(const QString &path);
