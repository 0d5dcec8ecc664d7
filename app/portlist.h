#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QStringList>

#include <functional>

class QComboBox;

// The names the port chooser offers: the system's serial ports, then the paths given on the
// command line (pseudo-terminals and network bridges, which the system never lists).
class PortList
{
    Q_DECLARE_TR_FUNCTIONS(PortList)

public:
    using Source = std::function<QStringList()>;

    static void setExtraPorts(const QStringList &paths);
    static QStringList extraPorts();
    // Replaces the system's list, for tests; an empty function restores it.
    static void setSystemSource(Source source);
    // A full enumeration of the system's serial ports, every time it is called.
    static QStringList systemPorts();
    // What the last enumeration learnt of each adapter (description, manufacturer, VID:PID,
    // serial number), by port name and by device path.
    static QHash<QString, QString> toolTips();

    // The INI file that remembers the port: beside the executable where that folder takes a
    // new file (a portable copy), else in the user's configuration folder.
    static QString iniPath();
    // Replaces the executable's folder in that choice, for tests; empty restores it.
    static void setApplicationDir(const QString &dir);

    // Enumerates through `enumerate` only when `watchDir` (where device nodes appear) changed
    // lately, or as a periodic safety net; every time when there is no such directory.
    explicit PortList(Source enumerate = &PortList::systemPorts,
                      const QString &watchDir = QStringLiteral("/dev"));

    QStringList ports();

private:
    bool systemMayHaveChanged();

    Source m_enumerate;
    QString m_watchDir;
    QStringList m_system;
    bool m_scanned = false;
    qint64 m_devStamp = -1;
    QElapsedTimer m_sinceFullScan;
    QElapsedTimer m_sinceDevChange;
};

// One scan step on the chooser: rebuild only when the names differ, then make the first item
// equal to portName current. Returns whether the chooser was rebuilt.
bool applyPortList(QComboBox *combo, const QStringList &ports, const QString &portName);
