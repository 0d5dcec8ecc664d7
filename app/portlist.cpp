#include "app/portlist.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {
QStringList g_extraPorts;
PortList::Source g_systemSource;

// Enumerating the system's ports is by far the dearest part of an idle tick, so on systems
// with a device directory it runs only when that directory changed, for a short while after
// (device nodes may appear before the port is fully registered), and as a safety net.
constexpr qint64 kSettleMs = 3000;
constexpr qint64 kSafetyNetMs = 10000;
}  // namespace

QStringList PortList::systemPorts()
{
    QStringList names;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        names << info.portName();
    return names;
}

void PortList::setExtraPorts(const QStringList &paths)
{
    g_extraPorts = paths;
}

QStringList PortList::extraPorts()
{
    return g_extraPorts;
}

void PortList::setSystemSource(Source source)
{
    g_systemSource = std::move(source);
}

PortList::PortList(Source enumerate, const QString &watchDir)
    : m_enumerate(std::move(enumerate))
    , m_watchDir(watchDir)
{
}

QStringList PortList::ports()
{
    if (g_systemSource)
        m_system = g_systemSource();
    else if (systemMayHaveChanged())
        m_system = m_enumerate();
    return m_system + g_extraPorts;
}

bool PortList::systemMayHaveChanged()
{
    const QFileInfo dev(m_watchDir);
    if (!dev.exists())
        return true;  // no cheap signal on this system: enumerate every time
    const qint64 stamp = dev.lastModified().toMSecsSinceEpoch();
    if (stamp != m_devStamp) {
        if (m_scanned)
            m_sinceDevChange.start();
        m_devStamp = stamp;
    }
    const bool settling = m_sinceDevChange.isValid() && !m_sinceDevChange.hasExpired(kSettleMs);
    if (!m_scanned || settling || m_sinceFullScan.hasExpired(kSafetyNetMs)) {
        m_scanned = true;
        m_sinceFullScan.start();
        return true;
    }
    return false;
}

bool applyPortList(QComboBox *combo, const QStringList &ports, const QString &portName)
{
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    // Names, not just their number: an adapter back under a new name replaces the old one.
    const bool rebuild = shown != ports;
    if (rebuild) {
        combo->clear();
        combo->addItems(ports);
    }
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i) == portName) {
            combo->setCurrentIndex(i);
            break;
        }
    }
    return rebuild;
}
