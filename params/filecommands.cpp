// Settings files: save the window's settings to a file, load them back.
#include "app/mainwindow.h"

#include "params/fields.h"
#include "params/settingsfile.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// A FIFO or a device would block the window until something writes to or reads from it.
bool isRegularOrNew(const QString &name)
{
    const QFileInfo info(name);
    return !info.exists() || info.isFile();
}
}  // namespace

void MainWindow::actionFileSaveParam_Click()
{
    const QString name = QFileDialog::getSaveFileName(this, tr("Save"), QString(),
                                                      QStringLiteral("VLT Files (*.vlt)"));
    if (name.isEmpty())
        return;
    if (!readSysParForm() || !readHardwParForm())
        return;
    if (!isRegularOrNew(name)) {
        showCritical(tr("Error opening the file!"));
        return;
    }

    // Written aside and renamed into place, so a failed save never leaves a damaged file.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        showCritical(tr("Error opening the file!"));
        return;
    }
    file.write(settingsFileText(m_sysPar, m_hardwPar));
    if (!file.commit())
        showCritical(tr("Error writing the file!"));
}

void MainWindow::actionFileOpenParam_Click()
{
    if (!askConfirmation(QLatin1String(kAppTitle),
                         tr("Attention!!! The current settings will be overwritten!\nContinue?")))
        return;
    const QString name = QFileDialog::getOpenFileName(
        this, tr("Open"), QString(), QStringLiteral("VLT Files (*.vlt);;All Files (*.*)"));
    if (name.isEmpty())
        return;

    QFile file(name);
    if (!QFileInfo(name).isFile() || !file.open(QIODevice::ReadOnly)) {
        showCritical(tr("Error opening the file!"));
        return;
    }
    const QByteArray text = file.read(kSettingsFileLimit + 1);
    file.close();

    QByteArray sys;
    QByteArray hardw;
    SettingsFileError error;
    if (text.size() > kSettingsFileLimit)
        error.kind = SettingsFileError::TooLarge;
    if (error.kind == SettingsFileError::TooLarge
        || !parseSettingsFile(text, &sys, &hardw, &error)) {
        showCritical(tr("Invalid settings file: %1").arg(settingsFileErrorText(error)));
        return;
    }
    setSysParBlock(sys);
    setHardwParBlock(hardw);
    showSysPar();
    showHardwPar();
    m_sysSaved = formTexts(sysParFields());
    m_hardwSaved = formTexts(hardwParFields());
}
