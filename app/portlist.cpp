#include "app/portlist.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
QStringList g_extraPorts;
PortList::Source g_systemSource;
QString g_appDir;
QHash<QString, QString> g_toolTips;

const char kIniName[] = "/velmor4_util.ini";
// An installed copy keeps its settings per user even where it could write beside itself (root
// in /usr/bin, an administrator in Program Files). It is known by what only the package puts
// there: the desktop entry, seen from the executable's folder, or the installer's uninstaller.
#ifdef Q_OS_WIN
const char kInstalledMark[] = "/Uninstall.exe";
#else
const char kInstalledMark[] = "/../share/applications/org.velmor4.Util.desktop";
#endif

bool isInstalled(const QString &appDir)
{
    if (QFileInfo::exists(appDir + QLatin1String(kInstalledMark)))
        return true;
#ifdef Q_OS_WIN
    // The MSI leaves no uninstaller beside the programs, and no portable copy lives in
    // Program Files.
    const QString programFiles
        = QDir::fromNativeSeparators(qEnvironmentVariable("ProgramFiles")) + QLatin1Char('/');
    return programFiles.size() > 1 && appDir.startsWith(programFiles, Qt::CaseInsensitive);
#else
    return false;
#endif
}

// Enumerating the system's ports is by far the dearest part of an idle tick, so on systems
// with a device directory it runs only when that directory changed, for a short while after
// (device nodes may appear before the port is fully registered), and as a safety net.
constexpr qint64 kSettleMs = 3000;
constexpr qint64 kSafetyNetMs = 10000;
}  // namespace

QStringList PortList::systemPorts()
{
    // Names and descriptions come from one enumeration: a second one would cost as much again.
    QStringList names;
    g_toolTips.clear();
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        names << info.portName();
        QStringList lines;
        if (!info.description().isEmpty())
            lines << tr("Description: %1").arg(info.description());
        if (!info.manufacturer().isEmpty())
            lines << tr("Manufacturer: %1").arg(info.manufacturer());
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            lines << QStringLiteral("VID:PID: %1:%2")
                         .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                         .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        if (!info.serialNumber().isEmpty())
            lines << tr("Serial number: %1").arg(info.serialNumber());
        const QString tip = lines.join(QLatin1Char('\n'));
        g_toolTips.insert(info.portName(), tip);
        g_toolTips.insert(info.systemLocation(), tip);
    }
    return names;
}

QHash<QString, QString> PortList::toolTips()
{
    return g_toolTips;
}

QString PortList::iniPath()
{
    const QString appDir = g_appDir.isEmpty() ? QCoreApplication::applicationDirPath() : g_appDir;
    // QSettings replaces the file through a new one, so the folder must take a new file.
    QTemporaryFile probe(appDir + QStringLiteral("/velmor4_util.XXXXXX"));
    if (!isInstalled(appDir) && probe.open())
        return appDir + QLatin1String(kIniName);
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
        + QLatin1String(kIniName);
}

void PortList::setApplicationDir(const QString &dir)
{
    g_appDir = dir;
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
        const QHash<QString, QString> tips = PortList::toolTips();
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemData(i, tips.value(ports.at(i)), Qt::ToolTipRole);
    }
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i) == portName) {
            combo->setCurrentIndex(i);
            break;
        }
    }
    return rebuild;
}
