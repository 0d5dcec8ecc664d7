// Port chooser and the remembered port.
#include "app/mainwindow.h"

#include "app/portlist.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QSettings>

namespace {
const char kPortKey[] = "COM";
}

void MainWindow::loadIni()
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    // A damaged file must not hand us half a port name.
    m_portName = ini.status() == QSettings::NoError
        ? ini.value(QLatin1String(kPortKey), QString()).toString()
        : QString();
    // A path given on the command line is what the engineer asked for this time.
    if (!PortList::extraPorts().isEmpty())
        m_portName = PortList::extraPorts().first();
}

void MainWindow::saveIni()
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    if (ini.contains(QLatin1String(kPortKey)) && ini.value(QLatin1String(kPortKey)) == m_portName)
        return;
    ini.setValue(QLatin1String(kPortKey), m_portName);
    ini.sync();
    if (ini.status() == QSettings::NoError || m_iniFailureShown)
        return;
    m_iniFailureShown = true;  // once a run: the engineer can do nothing about it meanwhile
    showCritical(tr("Could not save the chosen port in the file %1: it will have to be chosen "
                    "again at the next start.")
                     .arg(QDir::toNativeSeparators(m_iniPath)));
}

void MainWindow::rememberPort(const QString &name)
{
    if (name.isEmpty())
        return;
    m_portName = name;
    saveIni();
}

void MainWindow::enumSerialPorts()
{
    // What the scan selects is not the engineer's choice: it changes no remembered port.
    m_scanning = true;
    applyPortList(ui->commPortCombo, m_portList.ports(), m_portName);
    m_scanning = false;
}

void MainWindow::enumSerialHandler()
{
    // The chunks of an upload must all go to the port it started on.
    if (isUploading())
        return;
    enumSerialPorts();
}

void MainWindow::commPortComboCombo_currentIndexChanged(int idx)
{
    if (m_initialising || m_scanning || idx == -1)
        return;
    rememberPort(ui->commPortCombo->currentText());
    emit serialUsePortSignal(ui->commPortCombo->currentText());
}
