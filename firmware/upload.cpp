// Firmware version query and the chunked, stop-and-wait firmware upload.
#include "app/mainwindow.h"

#include "firmware/chunks.h"
#include "firmware/image.h"
#include "firmware/version.h"
#include "link/protocol.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSettings>

namespace {
constexpr int kProgressMinimumMs = 100;
const char kFirmwareDirKey[] = "FirmwareDir";

QString groupedDigits(qint64 n)
{
    QString digits = QString::number(n);
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return digits;
}
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
        showCritical(QStringLiteral("Неизвестное устройство!"));
    else
        showInformation(text);
}

void MainWindow::actionUpdateFirmware_Click()
{
    if (isBusy())
        return;
    if (!askConfirmation(QLatin1String(kAppTitle),
                         QStringLiteral("Обновить прошивку?\nВнимание!!! Не отключайте питание "
                                        "до окончания операции!")))
        return;
    // Images usually come in a row from one folder: start where the last one was chosen.
    QSettings ini(m_iniPath, QSettings::IniFormat);
    // Space-separated: Qt splits the patterns on spaces, a comma would become part of one.
    const QString name = QFileDialog::getOpenFileName(
        this, QStringLiteral("Открыть"), ini.value(QLatin1String(kFirmwareDirKey)).toString(),
        QStringLiteral("Binary files (*.bin *.binary)"));
    if (name.isEmpty())
        return;
    ini.setValue(QLatin1String(kFirmwareDirKey), QFileInfo(name).absolutePath());
    if (!loadFirmwareImage(name))
        return;
    // Without a port no chunk could go out, and the dialog would wait for nothing.
    if (!isPortSelected())
        return;
    createProgressDialog(QStringLiteral("Обновление..."), 0, 100);
    startFirmwareUpload();
}

bool MainWindow::loadFirmwareImage(const QString &fileName)
{
    switch (readFirmwareImage(fileName, &m_firmwareImage)) {
    case ImageError::None:
        m_imageSize = quint32(m_firmwareImage.size());
        return true;
    case ImageError::TooLarge:
        showCritical(
            QStringLiteral("Файл прошивки слишком большой: %1 байт, не более %2.")
                .arg(groupedDigits(QFileInfo(fileName).size()), groupedDigits(proto::kImageLimit)));
        return false;
    case ImageError::Empty:
        showCritical(QStringLiteral("Файл прошивки пуст!"));
        return false;
    case ImageError::NotAFile:
    case ImageError::Open:
    case ImageError::Short:
        break;
    }
    showCritical(QStringLiteral("Ошибка открытия файла!"));
    return false;
}

void MainWindow::createProgressDialog(const QString &label, int minimum, int maximum)
{
    m_progressDialog = new QProgressDialog(label, QStringLiteral("Отмена"), minimum, maximum, this);
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
    m_pendingOperation = PendingChunk;
    m_bytesSent = 0;
    sendChunk();
}

void MainWindow::sendChunk()
{
    const Chunk chunk = chunkAt(m_bytesSent, m_imageSize);
    sendRequest(proto::kOpWrite, chunk.address, m_firmwareImage.constData() + chunk.offset,
                chunk.count);
}

QString MainWindow::uploadIncompleteText() const
{
    return kUploadIncomplete
        + QStringLiteral("\nЗаписано блоков: %1 из %2.")
              .arg(m_bytesSent / proto::kChunkSize)
              .arg(planChunks(m_imageSize).size());
}

void MainWindow::handleChunkReply(const QByteArray &data)
{
    if (data.isEmpty() || data.at(0) == 0) {
        endUpload();
        showCritical(QStringLiteral("Ошибка обновления прошивки!") + uploadIncompleteText());
        return;
    }
    m_bytesSent += proto::kChunkSize;
    // The next chunk goes out before the dialog repaints, so painting never holds up the line.
    const bool more = m_bytesSent < m_imageSize;
    if (more && progressWasCanceled()) {
        endUpload();
        showCritical(QStringLiteral("Обновление прошивки отменено.") + uploadIncompleteText());
        return;
    }
    if (more)
        sendChunk();
    setProgressValue(progressPercent(m_bytesSent, m_imageSize));
    if (more)
        return;
    endUpload();
    showInformation(QStringLiteral("Прошивка успешно обновлена"));
}

void MainWindow::endUpload()
{
    closeProgressDialog();
    m_pendingOperation = PendingNone;
    m_firmwareUpload = false;
}
