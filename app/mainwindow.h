#pragma once

#include "app/portlist.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVector>

class QApplication;
class QCloseEvent;
class QProgressDialog;
class QTimer;
class Serial;
class Ui_MainWindow;
struct ParamField;

// Title of the window and of every box and dialog it opens.
inline constexpr char kAppTitle[] = "Velmor4 util";

// Called before the application object exists: on Qt 5 the window follows the system's display
// scale (125 %, 150 %, 200 %, ...) in device-independent pixels, as it does on Qt 6 by default.
void enableHighDpiScaling();
// The least width at which a window manager shows the whole title beside its title bar's buttons.
int titleBarWidth(const QWidget *window);
// The icon, the desktop entry and Qt's own texts in Russian, before any window is made.
void setUpApplication(QApplication &app);

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    void showCritical(const QString &text);
    void showInformation(const QString &text);
    // Enter picks "Да" unless a question about leaving makes "Нет" the default.
    bool askConfirmation(const QString &title, const QString &text,
                         QMessageBox::ButtonRole defaultRole = QMessageBox::YesRole);

    // Command layer
    void sendRequest(int operation, quint32 address, const char *data, quint16 count);
    bool isPortSelected();
    int pendingOperation() const { return m_pendingOperation; }
    const QThread *workerThread() const { return &m_thread; }

    // Port chooser and remembered port
    void loadIni();
    void saveIni();
    void enumSerialPorts();
    QString portName() const { return m_portName; }

    // Settings blocks
    void loadFactoryValues();
    void showSysPar();
    void showHardwPar();
    bool readSysParForm();
    bool readHardwParForm();
    bool setSysParBlock(const QByteArray &block);
    bool setHardwParBlock(const QByteArray &block);
    QByteArray sysParBlock() const { return m_sysPar; }
    QByteArray hardwParBlock() const { return m_hardwPar; }

    // Firmware upload
    bool loadFirmwareImage(const QString &fileName);
    void createProgressDialog(const QString &label, int minimum, int maximum);
    void closeProgressDialog();
    void setProgressValue(int value);
    bool progressWasCanceled();
    void startFirmwareUpload();
    bool isUploading() const { return m_firmwareUpload && m_progressDialogFlag; }

signals:
    void serialSendBufSignal(QString portName, QByteArray data, int timeout = 3000);
    // Declared for completeness; the worker opens and closes the port by itself.
    void serialOpenSignal(QString portName);
    void serialCloseSignal();
    // The engineer chose this port: the worker stops waiting for another port's line.
    void serialUsePortSignal(QString portName);

public slots:
    void serialErrorSlot(QString msg);
    void serialDataReadySlot(QByteArray data);
    void serialLineSuspectSlot(bool suspect);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void timeoutHandler();
    void enumSerialHandler();
    void actionFirmwareVer_Click();
    void actionUpdateFirmware_Click();
    void actionFileOpenParam_Click();
    void actionFileSaveParam_Click();
    void actionSysParRead_Click();
    void actionSysParWrite_Click();
    void actionHardwParRead_Click();
    void actionHardwParWrite_Click();
    void commPortComboCombo_currentIndexChanged(int idx);
    void factoryBtn_Click();

private:
    enum Pending {
        PendingNone,
        PendingVersion,
        PendingChunk,
        PendingSysRead,
        PendingHardwRead,
        PendingWriteAck
    };

    void showBox(QMessageBox::Icon icon, const QString &text);
    void showQueuedBoxes();
    void execBox(QMessageBox &box, QMessageBox::Icon icon, const QString &title,
                 const QString &text);
    void setBusy(bool busy);
    bool isBusy() const { return m_busy || m_lineSuspect; }
    void handleVersionReply(const QByteArray &data);
    void handleChunkReply(const QByteArray &data);
    void endUpload();
    void cancelUpload();
    void sendChunk();
    // The dialog's second line, block and time left, and its bar.
    void showUploadProgress();
    // The lines every message that ends an unfinished upload carries: incomplete, how far.
    QString uploadIncompleteText() const;
    // Remembers a port the engineer chose or the device answered on, in the INI file too.
    void rememberPort(const QString &name);

    // The fields' texts, in table order; a block has unsaved changes while they differ from
    // what they were when they last matched the device or a file (or the start values).
    QStringList formTexts(const QVector<ParamField> &fields) const;
    QStringList &savedTexts(const QVector<ParamField> &fields);
    bool hasUnsavedChanges(const QVector<ParamField> &fields);
    bool readForm(const QVector<ParamField> &fields, QByteArray &block);
    void showForm(const QVector<ParamField> &fields, const QByteArray &block);
    QString fieldWidgetText(const ParamField &field) const;
    void setFieldWidgetText(const ParamField &field, const QString &text);
    void focusField(const ParamField &field);
    QString fieldName(const ParamField &field) const;  // as the form labels it

    QThread m_thread;
    Ui_MainWindow *ui;
    Serial *m_serial;
    QString m_iniPath;
    QString m_portName;
    QTimer *m_portScanTimer = nullptr;
    QProgressDialog *m_progressDialog = nullptr;
    bool m_progressDialogFlag = false;
    bool m_initialising = true;
    QStringList m_coordHeaderLabels;
    int m_pendingOperation = PendingNone;
    bool m_firmwareUpload = false;
    bool m_firmwareIncomplete = false;  // an upload began and none has completed since
    QByteArray m_requestBuffer;
    QStringList m_sysSaved;  // the unsaved-changes flag of each block is their difference
    QStringList m_hardwSaved;
    QByteArray m_firmwareImage;
    quint32 m_imageSize = 0;
    quint32 m_bytesSent = 0;
    QByteArray m_sysPar;
    QByteArray m_hardwPar;
    PortList m_portList;
    QString m_requestPort;                                 // where the last request went
    const QVector<ParamField> *m_writtenFields = nullptr;  // the block a write ack confirms
    QStringList m_writtenTexts;                            // its fields as they were sent
    bool m_scanning = false;     // the chooser is being filled by a scan, not by the engineer
    bool m_busy = false;         // a request is out and its outcome has not arrived yet
    bool m_lineSuspect = false;  // a late reply may still come: the next request must wait
    bool m_abandoned = false;    // the request in flight was given up: its outcome is dropped
    QElapsedTimer m_uploadClock;
    bool m_iniFailureShown = false;
    bool m_boxOpen = false;
    struct QueuedBox
    {
        QMessageBox::Icon icon;
        QString text;
    };
    QList<QueuedBox> m_queuedBoxes;
};
