// The window's side of a device transaction: build and send requests, route replies.
#include "app/mainwindow.h"

#include "link/protocol.h"
#include "link/request.h"
#include "params/fields.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QProgressDialog>

#include <utility>

void MainWindow::sendRequest(int operation, quint32 address, const char *data, quint16 count)
{
    if (count > proto::kMaxCount)
        return;
    m_requestBuffer = buildRequestBody(operation, address, data, count);
    if (!isPortSelected())
        return;
    m_requestPort = ui->commPortCombo->currentText();
    emit serialSendBufSignal(m_requestPort, m_requestBuffer, proto::kReplyTimeoutMs);
    // One request at a time: a second command would otherwise take the first one's reply.
    setBusy(true);
}

void MainWindow::setBusy(bool busy)
{
    m_busy = busy;
    busy = isBusy();
    for (QAction *action : {ui->actionFirmwareVer, ui->actionUpdateFirmware, ui->actionSysParRead,
                            ui->actionSysParWrite, ui->actionHardwRead, ui->actionHardwWrite})
        action->setEnabled(!busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

bool MainWindow::isPortSelected()
{
    if (ui->commPortCombo->currentIndex() != -1)
        return true;
    showCritical(tr("No COM port is selected!"));
    return false;
}

void MainWindow::serialDataReadySlot(QByteArray data)
{
    setBusy(false);
    m_abandoned = false;
    if (m_pendingOperation != PendingChunk)
        rememberPort(m_requestPort);  // the device answered there
    switch (m_pendingOperation) {
    case PendingVersion:
        m_pendingOperation = PendingNone;
        handleVersionReply(data);
        break;
    case PendingChunk:
        handleChunkReply(data);
        if (!isUploading())
            rememberPort(m_requestPort);  // once the dialog is gone: a box may tell of the file
        break;
    case PendingSysRead:
        m_pendingOperation = PendingNone;
        if (setSysParBlock(data)) {
            showSysPar();
            m_sysSaved = formTexts(sysParFields());
        } else
            showCritical(tr("Read error"));
        break;
    case PendingHardwRead:
        m_pendingOperation = PendingNone;
        if (setHardwParBlock(data)) {
            showHardwPar();
            m_hardwSaved = formTexts(hardwParFields());
        } else
            showCritical(tr("Read error"));
        break;
    case PendingWriteAck:
        m_pendingOperation = PendingNone;
        if (!data.isEmpty() && data.at(0) != 0) {
            // Edits made while the write was out are not in the device.
            savedTexts(*m_writtenFields) = m_writtenTexts;
            showInformation(tr("Written successfully"));
        } else
            showCritical(tr("Write error"));
        break;
    default:
        break;  // nothing awaited: a late or stray reply
    }
}

void MainWindow::serialLineSuspectSlot(bool suspect)
{
    m_lineSuspect = suspect;
    setBusy(m_busy);
}

void MainWindow::serialErrorSlot(QString msg)
{
    setBusy(false);
    if (std::exchange(m_abandoned, false))
        return;  // a cancelled upload's chunk: the cancel has said all there is to say
    // The upload's lines come second: the port and the system's own text stay last.
    const int firstLineEnd = msg.indexOf(QLatin1Char('\n'));
    const QString text = !isUploading() ? msg
        : firstLineEnd < 0
        ? msg + uploadIncompleteText()
        : msg.left(firstLineEnd) + uploadIncompleteText() + msg.mid(firstLineEnd);
    // The dialog goes first, so the message is not hidden behind a bar that no longer moves.
    endUpload();
    showCritical(text);
}

void MainWindow::timeoutHandler()
{
    m_firmwareUpload = false;
}
