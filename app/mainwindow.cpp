#include "app/mainwindow.h"

#include "link/protocol.h"
#include "link/serial.h"
#include "params/fields.h"
#include "translations/texts.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

// The window speaks Russian whatever the system's language, also where no main() of ours runs
// (a test that builds the window alone).
Q_COREAPP_STARTUP_FUNCTION(installRussianTexts)

namespace {
constexpr int kPortScanMs = 500;
constexpr int kTitleBarExtra = 160;
}  // namespace

void enableHighDpiScaling()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // 125 % and 150 % as they are, not rounded to 100 % and 200 %.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#endif
}

int titleBarWidth(const QWidget *window)
{
    return window->fontMetrics().horizontalAdvance(window->windowTitle()) + kTitleBarExtra;
}

void setUpApplication(QApplication &)
{
    // The interface is Russian whatever the system's language, and so are Qt's own dialogs.
    installQtRussianTexts();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vt.ico")));
    // Lets the desktop match the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmor4.Util"));
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
    , m_serial(new Serial)
    , m_sysPar(proto::kSysParSize, '\0')
    , m_hardwPar(proto::kHardwParSize, '\0')
{
    m_coordHeaderLabels << tr("First subscriber no.") << tr("Last subscriber no.");
    m_iniPath = PortList::iniPath();
    m_portName.clear();
    loadIni();

    m_serial->moveToThread(&m_thread);
    connect(m_serial, &Serial::errorMsg, this, &MainWindow::serialErrorSlot);
    connect(m_serial, &Serial::dataReady, this, &MainWindow::serialDataReadySlot);
    connect(m_serial, &Serial::lineSuspect, this, &MainWindow::serialLineSuspectSlot);
    connect(m_serial, &Serial::noisyLine, this, &MainWindow::showCritical);
    connect(this, &MainWindow::serialSendBufSignal, m_serial, &Serial::putBuf);
    connect(this, &MainWindow::serialUsePortSignal, m_serial, &Serial::usePort);
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
    m_sysSaved = formTexts(sysParFields());
    m_hardwSaved = formTexts(hardwParFields());

    connect(ui->actionFileOpenParam, &QAction::triggered, this,
            &MainWindow::actionFileOpenParam_Click);
    connect(ui->actionFileSaveParam, &QAction::triggered, this,
            &MainWindow::actionFileSaveParam_Click);
    // "Выход" closes the window like its title bar does: unsaved edits are asked about first.
    connect(ui->actionFileQuit, &QAction::triggered, this, &QWidget::close);
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
    m_thread.quit();
    m_thread.wait();
    delete m_serial;
    delete ui;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // One question for all that leaving would lose; Enter and Escape keep the window.
    const bool unsaved = hasUnsavedChanges(sysParFields()) || hasUnsavedChanges(hardwParFields());
    QStringList lines;
    if (unsaved)
        lines << tr("The data is not saved!!!");
    if (m_firmwareIncomplete)
        lines << tr("The firmware is not written completely: the device may fail to start.");
    if (!lines.isEmpty()) {
        lines << (unsaved ? tr("Quit without saving?") : tr("Quit?"));
        if (!askConfirmation(QLatin1String(kAppTitle), lines.join(QLatin1Char('\n')),
                             QMessageBox::NoRole)) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void MainWindow::showCritical(const QString &text)
{
    showBox(QMessageBox::Critical, text);
}

void MainWindow::showInformation(const QString &text)
{
    showBox(QMessageBox::Information, text);
}

bool MainWindow::askConfirmation(const QString &title, const QString &text,
                                 QMessageBox::ButtonRole defaultRole)
{
    QMessageBox box(this);
    QPushButton *yes = box.addButton(tr("Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(tr("No"), QMessageBox::NoRole);
    box.setDefaultButton(defaultRole == QMessageBox::NoRole ? no : yes);
    execBox(box, QMessageBox::Question, title, text);
    showQueuedBoxes();
    return box.clickedButton() == yes;
}

void MainWindow::showBox(QMessageBox::Icon icon, const QString &text)
{
    m_queuedBoxes.append({icon, text});
    showQueuedBoxes();
}

void MainWindow::showQueuedBoxes()
{
    // One box at a time: what the worker reports while a box is open waits until it is closed.
    if (m_boxOpen)
        return;
    while (!m_queuedBoxes.isEmpty()) {
        const QueuedBox next = m_queuedBoxes.takeFirst();
        QMessageBox box(this);
        box.addButton(QMessageBox::Ok);
        execBox(box, next.icon, QLatin1String(kAppTitle), next.text);
    }
}

void MainWindow::execBox(QMessageBox &box, QMessageBox::Icon icon, const QString &title,
                         const QString &text)
{
    box.setIcon(icon);
    box.setWindowTitle(title);
    box.setText(text);
    // A window manager elides a title wider than its box: even a short message gets room for
    // the title and the title bar's buttons.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        grid->addItem(
            new QSpacerItem(titleBarWidth(&box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
    m_boxOpen = true;
    box.exec();
    m_boxOpen = false;
}
