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
}

void MainWindow::saveIni()
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    ini.setValue(QLatin1String(kPortKey), ui->commPortCombo->currentText());
    ini.sync();
    if (ini.status() != QSettings::NoError)
        qWarning("velmor4_util: cannot save %s; the port will not be remembered.",
                 qPrintable(QDir::toNativeSeparators(m_iniPath)));
}

void MainWindow::enumSerialPorts()
{
    const QStringList ports = m_portList.ports();
    const QStringList extra = PortList::extraPorts();
    // A path from the command line stands in for a remembered port that is not there.
    const bool useExtra = !ports.contains(m_portName) && !extra.isEmpty();
    applyPortList(ui->commPortCombo, ports, useExtra ? extra.first() : m_portName);
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
    if (m_initialising || idx == -1)
        return;
    m_portName = ui->commPortCombo->currentText();
}
