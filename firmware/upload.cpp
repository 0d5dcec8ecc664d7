// Firmware version query and the chunked, stop-and-wait firmware upload.
#include "app/mainwindow.h"

#include "firmware/chunks.h"
#include "firmware/image.h"
#include "firmware/version.h"
#include "link/protocol.h"
#include "link/request.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSettings>

namespace {
constexpr int kProgressMinimumMs = 100;
const char kFirmwareDirKey[] = "FirmwareDir";
}  // namespace

void MainWindow::actionFirmwareVer_Click()
{
    if (isBusy())
        return;
    m_pendingOperation = PendingVersion;
    sendRequest(proto::kOpRead, proto::kVersionAddr, nullptr, proto::kVersionSize);
}

void MainWindow::handleVersionReply(const QByteArray &data)
{
    const QString text = firmwareVersionText(data);
    if (text.isNull())
        showCritical(tr("Unknown device!"));
    else
        showInformation(text);
}

void MainWindow::actionUpdateFirmware_Click()
{
    if (isBusy())
        return;
    if (!askConfirmation(QLatin1String(kAppTitle),
                         tr("Update the firmware?\nAttention!!! Do not switch the power off until "
                            "the operation has finished!")))
        return;
    // Images usually come in a row from one folder: start where the last one was chosen.
    QSettings ini(m_iniPath, QSettings::IniFormat);
    // Space-separated: Qt splits the patterns on spaces, a comma would become part of one.
    const QString name = QFileDialog::getOpenFileName(
        this, tr("Open"), ini.value(QLatin1String(kFirmwareDirKey)).toString(),
        QStringLiteral("Binary files (*.bin *.binary)"));
    if (name.isEmpty())
        return;
    ini.setValue(QLatin1String(kFirmwareDirKey), QFileInfo(name).absolutePath());
    if (!loadFirmwareImage(name))
        return;
    // Without a port no chunk could go out, and the dialog would wait for nothing.
    if (!isPortSelected())
        return;
    createProgressDialog(tr("Updating..."), 0, 100);
    // At once: the chunk in flight is not waited for, the upload is incomplete either way.
    connect(m_progressDialog, &QProgressDialog::canceled, this, &MainWindow::cancelUpload);
    startFirmwareUpload();
}

bool MainWindow::loadFirmwareImage(const QString &fileName)
{
    const ImageError error = readFirmwareImage(fileName, &m_firmwareImage);
    if (error == ImageError::None) {
        m_imageSize = quint32(m_firmwareImage.size());
        return true;
    }
    showCritical(imageErrorText(error, QFileInfo(fileName).size()));
    return false;
}

void MainWindow::createProgressDialog(const QString &label, int minimum, int maximum)
{
    m_progressDialog = new QProgressDialog(label, tr("Cancel"), minimum, maximum, this);
    m_progressDialog->setMinimumDuration(kProgressMinimumMs);
    m_progressDialog->setValue(minimum);
    m_progressDialog->setWindowModality(Qt::WindowModal);
    m_progressDialog->setWindowTitle(QLatin1String(kAppTitle));
    m_progressDialog->setMinimumWidth(titleBarWidth(m_progressDialog));
    m_progressDialogFlag = true;
}

void MainWindow::closeProgressDialog()
{
    // A modal progress dialog runs the event loop inside setValue, where the last reply of an
    // upload may close it: the dialog is hidden now and deleted once that call has returned.
    if (m_progressDialog) {
        // reset() also stops the timer that would show a dialog not yet shown, which could
        // otherwise pop up over the message that ends the upload.
        m_progressDialog->reset();
        m_progressDialog->hide();
        m_progressDialog->deleteLater();
    }
    m_progressDialog = nullptr;
    m_progressDialogFlag = false;
}

void MainWindow::setProgressValue(int value)
{
    if (m_progressDialogFlag)
        m_progressDialog->setValue(value);
}

bool MainWindow::progressWasCanceled()
{
    return m_progressDialogFlag && m_progressDialog->wasCanceled();
}

void MainWindow::startFirmwareUpload()
{
    m_firmwareUpload = true;
    m_firmwareIncomplete = true;
    m_pendingOperation = PendingChunk;
    m_bytesSent = 0;
    m_uploadClock.start();
    sendChunk();
    showUploadProgress();
}

void MainWindow::sendChunk()
{
    const Chunk chunk = chunkAt(m_bytesSent, m_imageSize);
    sendRequest(proto::kOpWrite, chunk.address, m_firmwareImage.constData() + chunk.offset,
                chunk.count);
}

QString MainWindow::uploadIncompleteText() const
{
    // The second line of every error that ends an upload before the device confirmed it all.
    return tr("\nThe firmware is not written completely, repeat the update.\nBlocks written: %1 "
              "of %2.")
        .arg(m_bytesSent / proto::kChunkSize)
        .arg(planChunks(m_imageSize).size());
}

void MainWindow::showUploadProgress()
{
    if (!m_progressDialogFlag)
        return;
    const qint64 total = planChunks(m_imageSize).size();
    const qint64 done = m_bytesSent / proto::kChunkSize;
    QString text = tr("Updating...\nBlock %1 of %2").arg(done + 1).arg(total);
    if (done > 0) {
        // At the pace of the blocks so far, rounded up to a whole second.
        const qint64 left
            = (m_uploadClock.elapsed() * (total - done) + done * 1000 - 1) / (done * 1000);
        text += tr(", %1:%2 left").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
    }
    m_progressDialog->setLabelText(text);
    if (done > 0)
        setProgressValue(progressPercent(m_bytesSent, m_imageSize));
}

void MainWindow::handleChunkReply(const QByteArray &data)
{
    if (data.isEmpty() || data.at(0) == 0) {
        const QString refused
            = tr("Firmware update failed!\nThe device refused to write block %1 at address "
                 "%2.\nPort: %3")
                  .arg(m_bytesSent / proto::kChunkSize + 1)
                  .arg(hexAddress(chunkAt(m_bytesSent, m_imageSize).address), m_requestPort);
        const QString text = refused + uploadIncompleteText();
        endUpload();
        showCritical(text);
        return;
    }
    m_bytesSent += proto::kChunkSize;
    if (m_bytesSent >= m_imageSize) {
        m_firmwareIncomplete = false;
        endUpload();
        showInformation(tr("The firmware was updated successfully"));
        return;
    }
    if (progressWasCanceled()) {
        cancelUpload();
        return;
    }
    // The next chunk goes out before the dialog repaints, so painting never holds up the line.
    sendChunk();
    showUploadProgress();
}

void MainWindow::cancelUpload()
{
    if (!m_firmwareUpload)
        return;
    const QString text = tr("The firmware update was cancelled.") + uploadIncompleteText();
    m_abandoned = m_busy;  // the chunk in flight: its outcome concerns nobody any more
    endUpload();
    showCritical(text);
}

void MainWindow::endUpload()
{
    closeProgressDialog();
    m_pendingOperation = PendingNone;
    m_firmwareUpload = false;
}
