#include "app/mainwindow.h"

#include "link/protocol.h"
#include "link/serial.h"
#include "params/fields.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int kPortScanMs = 500;
}  // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
    , m_serial(new Serial)
    , m_sysPar(proto::kSysParSize, '\0')
    , m_hardwPar(proto::kHardwParSize, '\0')
{
    m_coordHeaderLabels << QStringLiteral("Нач. № абон.") << QStringLiteral("Кон. № абон.");
    m_iniPath = PortList::iniPath();
    m_portName.clear();
    loadIni();

    m_serial->moveToThread(&m_thread);
    connect(m_serial, &Serial::errorMsg, this, &MainWindow::serialErrorSlot);
    connect(m_serial, &Serial::dataReady, this, &MainWindow::serialDataReadySlot);
    connect(m_serial, &Serial::lineSuspect, this, &MainWindow::serialLineSuspectSlot);
    connect(this, &MainWindow::serialSendBufSignal, m_serial, &Serial::putBuf);
    // The worker comes back to this thread as its own ends, so that deleting it here also
    // stops a reply timer still running from a request in flight at exit.
    connect(
        &m_thread, &QThread::finished, m_serial, [this] { m_serial->moveToThread(thread()); },
        Qt::DirectConnection);

    m_portScanTimer = new QTimer(this);
    m_portScanTimer->setInterval(kPortScanMs);
    connect(m_portScanTimer, &QTimer::timeout, this, &MainWindow::enumSerialHandler);

    m_thread.start(QThread::InheritPriority);

    ui->setupUi(this);
    setWindowTitle(QStringLiteral("%1 v1.0").arg(QLatin1String(kAppTitle)));
    enumSerialPorts();
    for (const QVector<ParamField> *fields : {&sysParFields(), &hardwParFields()})
        for (const ParamField &f : *fields)
            if (f.edit)
                findChild<QLineEdit *>(QLatin1String(f.edit))
                    ->setToolTip(QStringLiteral("%1…%2").arg(f.min).arg(f.max));

    loadFactoryValues();
    readSysParForm();
    readHardwParForm();

    connect(ui->actionFileOpenParam, &QAction::triggered, this,
            &MainWindow::actionFileOpenParam_Click);
    connect(ui->actionFileSaveParam, &QAction::triggered, this,
            &MainWindow::actionFileSaveParam_Click);
    connect(ui->actionFileQuit, &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(ui->actionFirmwareVer, &QAction::triggered, this, &MainWindow::actionFirmwareVer_Click);
    connect(ui->actionUpdateFirmware, &QAction::triggered, this,
            &MainWindow::actionUpdateFirmware_Click);
    connect(ui->actionSysParRead, &QAction::triggered, this, &MainWindow::actionSysParRead_Click);
    connect(ui->actionSysParWrite, &QAction::triggered, this, &MainWindow::actionSysParWrite_Click);
    connect(ui->actionHardwRead, &QAction::triggered, this, &MainWindow::actionHardwParRead_Click);
    connect(ui->actionHardwWrite, &QAction::triggered, this,
            &MainWindow::actionHardwParWrite_Click);
    connect(ui->commPortCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MainWindow::commPortComboCombo_currentIndexChanged);
    connect(ui->factoryBtn, &QPushButton::clicked, this, &MainWindow::factoryBtn_Click);

    m_portScanTimer->start();
    m_initialising = false;
}

MainWindow::~MainWindow()
{
    saveIni();
    m_thread.quit();
    m_thread.wait();
    delete m_serial;
    delete ui;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_unsavedChanges
        && !askConfirmation(QLatin1String(kAppTitle),
                            QStringLiteral("Данные не сохранены!!!\nВыйти без сохранения?"))) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::showCritical(const QString &text)
{
    QMessageBox::critical(this, QLatin1String(kAppTitle), text, QMessageBox::Ok,
                          QMessageBox::NoButton);
}

void MainWindow::showInformation(const QString &text)
{
    QMessageBox::information(this, QLatin1String(kAppTitle), text, QMessageBox::Ok,
                             QMessageBox::NoButton);
}

bool MainWindow::askConfirmation(const QString &title, const QString &text)
{
    QMessageBox box(this);
    QPushButton *yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(title);
    box.setText(text);
    box.exec();
    return box.clickedButton() == yes;
}
