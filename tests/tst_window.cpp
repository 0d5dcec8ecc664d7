// The window as the engineer first meets it: form, title, menus, dialogs, start and exit.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "tests/support/harness.h"
#include "tests/support/modalanswerer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTest>

namespace {
QStringList menuEntries(QMenu *menu)
{
    QStringList out;
    for (QAction *a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
}  // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void titleAndLabels();
    void labelsNameTheirFields();
    void menusInOrder();
    void blocksStartWithFactoryValues();
    void dialogHelpers();
    void confirmationRefusedByEscape();
    void closesWithoutQuestion();
    void quitStopsTheWorkerAndSavesThePort();
    void exitWhileARequestIsInFlight();

private:
    std::unique_ptr<MainWindow> m_window;
};

void TestWindow::init()
{
    QFile::remove(WindowHarness::iniPath());
    PortList::setSystemSource([] {
        return QStringList{QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0")};
    });
    m_window.reset(new MainWindow);
}

void TestWindow::cleanup()
{
    m_window.reset();
    PortList::setSystemSource({});
    QFile::remove(WindowHarness::iniPath());
}

void TestWindow::titleAndLabels()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Velmor4 util v1.0"));
    QCOMPARE(m_window->objectName(), QStringLiteral("MainWindow"));
    auto *label = m_window->findChild<QLabel *>(QStringLiteral("label"));
    QVERIFY(label);
    QCOMPARE(label->text(),
             QString::fromUtf8("\xD0\xA1\xD0\x9E\xD0\x9C \xD0\xBF\xD0\xBE\xD1\x80\xD1\x82:"));
    QVERIFY(label->text() != QStringLiteral("COM порт:"));
    QCOMPARE(m_window->findChild<QGroupBox *>(QStringLiteral("sysGroup"))->title(),
             QStringLiteral("Системные настройки"));
    QCOMPARE(m_window->findChild<QGroupBox *>(QStringLiteral("hardwGroup"))->title(),
             QStringLiteral("Hardw"));
    QCOMPARE(m_window->findChild<QPushButton *>(QStringLiteral("factoryBtn"))->text(),
             QStringLiteral("Заводские значения"));
    QCOMPARE(m_window->minimumSize(), QSize(430, 520));
    QCOMPARE(m_window->maximumSize(), QSize(800, 600));
}

void TestWindow::labelsNameTheirFields()
{
    // Each label stands 20 pixels above the field it names, in the 8 pt font.
    const QPair<const char *, const char *> pairs[] = {
        {"coordTbl", "Координатные коммутаторы"},
        {"comUsedEdit", "Кол-во коорд. коммутаторов"},
        {"callCountEdit", "Кол-во вызовов"},
        {"talkTimeoutEdit", "Время разговора"},
        {"loThrEdit", "Нижний порог"},
        {"hiThrEdit", "Верхний порог"},
        {"uLineShortEdit", "ULINE_SHORT"},
        {"uLineTrDownEdit", "ULINE_TR_DOWN"},
        {"uLineTrUpEdit", "ULINE_TR_UP"},
        {"stabTimeoutEdit", "STAB_TIMEOUT"},
        {"repeatTimeoutEdit", "REPEAT_TIMEOUT"},
    };
    for (const auto &p : pairs) {
        auto *field = m_window->findChild<QWidget *>(QLatin1String(p.first));
        QVERIFY2(field, p.first);
        QLabel *label = nullptr;
        for (QLabel *l :
             field->parentWidget()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
            if (l->pos() == field->pos() - QPoint(0, 20))
                label = l;
        QVERIFY2(label, p.first);
        QCOMPARE(label->text(), QString::fromUtf8(p.second));
        QCOMPARE(label->font().pointSize(), 8);
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            QVERIFY(!edit->validator() && edit->inputMask().isEmpty());
    }
}

void TestWindow::menusInOrder()
{
    auto *file = m_window->findChild<QMenu *>(QStringLiteral("menuFile"));
    auto *dev = m_window->findChild<QMenu *>(QStringLiteral("menu"));
    QVERIFY(file && dev);
    QCOMPARE(m_window->menuBar()->actions().size(), 2);
    QCOMPARE(m_window->menuBar()->actions()[0], file->menuAction());
    QCOMPARE(file->title(), QStringLiteral("Файл"));
    QCOMPARE(dev->title(), QStringLiteral("Velmor"));
    QCOMPARE(menuEntries(file),
             (QStringList{"Загрузить настройки", "Сохранить настройки", "-", "-", "Выход"}));
    QCOMPARE(menuEntries(dev),
             (QStringList{"Версия прошивки", "-", "Обновить прошивку", "-", "Считать настройки",
                          "Записать настройки", "-", "Hardw read", "Hardw write"}));
    for (const char *name : {"actionFileOpenParam", "actionFileSaveParam"})
        QVERIFY(!m_window->findChild<QAction *>(QLatin1String(name))->isEnabled());
    QCOMPARE(m_window->findChild<QAction *>(QStringLiteral("actionFileSaveParam"))->toolTip(),
             QStringLiteral("Сохранить настройки в файл"));
    QCOMPARE(m_window->findChild<QAction *>(QStringLiteral("actionFileOpenParam"))->toolTip(),
             QStringLiteral("Открыть файл настроек"));
}

void TestWindow::blocksStartWithFactoryValues()
{
    QByteArray sys;
    for (int k = 0; k < 7; ++k)
        sys += QByteArray::fromHex("0100DC00");
    sys += QByteArray::fromHex("01321E320A00");
    QCOMPARE(m_window->sysParBlock(), sys);
    QCOMPARE(m_window->hardwParBlock(), QByteArray::fromHex("C800CC01E402F401B004"));
    auto *t = m_window->findChild<QTableWidget *>(QStringLiteral("coordTbl"));
    QCOMPARE(t->horizontalHeaderItem(1)->text(), QStringLiteral("Кон. № абон."));
    QCOMPARE(t->item(6, 1)->text(), QStringLiteral("220"));
    QCOMPARE(m_window->findChild<QLineEdit *>(QStringLiteral("callCountEdit"))->text(),
             QStringLiteral("12"));
    QCOMPARE(m_window->findChild<QLineEdit *>(QStringLiteral("talkTimeoutEdit"))->text(),
             QStringLiteral("90"));
}

void TestWindow::dialogHelpers()
{
    ModalAnswerer answerer;
    m_window->showCritical(QStringLiteral("плохо"));
    m_window->showInformation(QStringLiteral("хорошо"));
    answerer.queueAnswer(QStringLiteral("Да"));
    QVERIFY(m_window->askConfirmation(QStringLiteral("Velmor4 util"), QStringLiteral("да?")));
    answerer.queueAnswer(QStringLiteral("Нет"));
    QVERIFY(!m_window->askConfirmation(QStringLiteral("Velmor4 util"), QStringLiteral("нет?")));
    const auto &b = answerer.boxes();
    QCOMPARE(b.size(), 4);
    for (const auto &seen : b)
        QCOMPARE(seen.title, QStringLiteral("Velmor4 util"));
    QCOMPARE(b[0].icon, QMessageBox::Critical);
    QCOMPARE(b[0].text, QStringLiteral("плохо"));
    QCOMPARE(b[1].icon, QMessageBox::Information);
    QCOMPARE(b[2].icon, QMessageBox::Question);
}

void TestWindow::confirmationRefusedByEscape()
{
    ModalAnswerer answerer;  // nothing queued: the question is closed with Escape
    QVERIFY(!m_window->askConfirmation(QStringLiteral("Velmor4 util"), QStringLiteral("?")));
    QCOMPARE(answerer.boxes().size(), 1);

    // The title-bar close button: close the box without any button.
    QTimer::singleShot(50, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    QVERIFY(!m_window->askConfirmation(QStringLiteral("Velmor4 util"), QStringLiteral("?")));
}

void TestWindow::closesWithoutQuestion()
{
    ModalAnswerer answerer;
    m_window->show();
    QVERIFY(m_window->close());
    QTest::qWait(50);
    QVERIFY(answerer.boxes().isEmpty());
}

void TestWindow::quitStopsTheWorkerAndSavesThePort()
{
    QVERIFY(m_window->workerThread()->isRunning());
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
    silent.noReplyTo = 1;
    WindowHarness h(silent);
    QVERIFY(h.start());
    bool finished = false;
    connect(
        h.window().workerThread(), &QThread::finished, this, [&] { finished = true; },
        Qt::DirectConnection);
    h.trigger("actionFirmwareVer");
    QTRY_COMPARE(h.sim().requestCount(), 1);
    QElapsedTimer t;
    t.start();
    h.destroyWindow();
    QVERIFY(finished);
    QVERIFY(t.elapsed() < 1000);  // no waiting for the reply timer
    QTest::qWait(50);
    QVERIFY(h.answerer().boxes().isEmpty());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
