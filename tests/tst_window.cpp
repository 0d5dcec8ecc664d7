// The window as the engineer first meets it: start values, dialogs, keyboard, exit.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "tests/support/harness.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTableWidget>
#include <QTest>

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void blocksStartWithFactoryValues();
    void dialogHelpers();
    void tabLeavesTheTable();
    void quitJoinsTheWorkerAndSavesThePort();
    void exitWhileARequestIsInFlight();

private:
    std::unique_ptr<MainWindow> m_window;
};

void TestWindow::init()
{
    QFile::remove(WindowHarness::iniPath());
    PortList::setSystemSource([] { return QStringList{"ttyS0", "ttyUSB0"}; });
    m_window.reset(new MainWindow);
}

void TestWindow::cleanup()
{
    m_window.reset();
    PortList::setSystemSource({});
    QFile::remove(WindowHarness::iniPath());
}

void TestWindow::blocksStartWithFactoryValues()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Velmor4 util v1.0"));
    QCOMPARE(m_window->sysParBlock().left(33),
             QByteArray::fromHex("0100DC000100DC000100DC000100DC000100DC000100DC000100DC00"
                                 "01321E320A"));
    QCOMPARE(m_window->hardwParBlock(), QByteArray::fromHex("C800CC01E402F401B004"));
}

void TestWindow::dialogHelpers()
{
    ModalAnswerer answerer;
    m_window->showCritical(QStringLiteral("плохо"));
    m_window->showInformation(QStringLiteral("хорошо"));
    for (const QString answer : {"Да", "Нет", ""}) {  // nothing queued: Escape
        if (!answer.isEmpty())
            answerer.queueAnswer(answer);
        QCOMPARE(m_window->askConfirmation(kAppTitle, QStringLiteral("?")), answer == "Да");
    }
    QCOMPARE(answerer.boxes().size(), 5);
    QCOMPARE(answerer.boxes()[0].icon, QMessageBox::Critical);
    QCOMPARE(answerer.boxes()[1].icon, QMessageBox::Information);
    QCOMPARE(answerer.boxes()[4].icon, QMessageBox::Question);
}

void TestWindow::tabLeavesTheTable()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    auto *table = m_window->findChild<QTableWidget *>(QStringLiteral("coordTbl"));
    table->setFocus();
    table->setCurrentCell(6, 1);
    QTest::keyClick(table, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_window->findChild<QLineEdit *>("comUsedEdit"));
}

void TestWindow::quitJoinsTheWorkerAndSavesThePort()
{
    bool finished = false;
    connect(
        m_window->workerThread(), &QThread::finished, this, [&] { finished = true; },
        Qt::DirectConnection);
    m_window->findChild<QComboBox *>(QStringLiteral("commPortCombo"))->setCurrentIndex(1);
    QTimer::singleShot(0, m_window->findChild<QAction *>(QStringLiteral("actionFileQuit")),
                       &QAction::trigger);
    QCOMPARE(qApp->exec(), 0);
    QVERIFY(!finished);
    m_window.reset();
    QVERIFY(finished);  // joined before the window was gone
    QSettings ini(WindowHarness::iniPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("COM")).toString(), QStringLiteral("ttyUSB0"));
}

void TestWindow::exitWhileARequestIsInFlight()
{
    SimOptions silent;
    silent.noReplies = true;
    WindowHarness h(silent);
    QVERIFY(h.start());
    h.trigger("actionFirmwareVer");
    QTRY_COMPARE(h.sim().requestCount(), 1);
    QElapsedTimer t;
    t.start();
    h.destroyWindow();
    QVERIFY(t.elapsed() < 1000);  // no waiting for the reply timer
    QTest::qWait(50);
    QVERIFY(h.answerer().boxes().isEmpty());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
