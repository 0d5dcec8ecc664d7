#pragma once

#include <QElapsedTimer>
#include <QStringList>

#include <functional>

class QComboBox;

// The names the port chooser offers: the system's serial ports, then the paths given on the
// command line (pseudo-terminals and network bridges, which the system never lists).
class PortList
{
public:
    using Source = std::function<QStringList()>;

    static void setExtraPorts(const QStringList &paths);
    static QStringList extraPorts();
    // Replaces the system's list, for tests; an empty function restores it.
    static void setSystemSource(Source source);
    // A full enumeration of the system's serial ports, every time it is called.
    static QStringList systemPorts();

    QStringList ports();

private:
    bool systemMayHaveChanged();

    QStringList m_system;
    bool m_scanned = false;
    qint64 m_devStamp = -1;
    QElapsedTimer m_sinceFullScan;
    QElapsedTimer m_sinceDevChange;
};

// One scan step on the chooser: rebuild only when the count differs, then make the first item
// equal to portName current. Returns whether the chooser was rebuilt.
bool applyPortList(QComboBox *combo, const QStringList &ports, const QString &portName);
