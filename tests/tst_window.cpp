// The window shell: start values, dialogs, keyboard, exit; the port chooser's scan rules and the
// remembered port, with a fake list of system ports.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "tests/support/harness.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStyleOptionComboBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {
QStringList g_ports;

QComboBox *chooser(MainWindow &w)
{
    return w.findChild<QComboBox *>(QStringLiteral("commPortCombo"));
}

QStringList items(QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

bool scanned(MainWindow &w)
{
    w.show();
    return QTest::qWaitFor([&] { return chooser(w)->count() >= g_ports.size(); });
}

QString remembered()
{
    return QSettings(WindowHarness::iniPath(), QSettings::IniFormat).value("COM").toString();
}
}  // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startValuesAndDialogs();
    void tabLeavesTheTable();
    void exitWhileARequestIsInFlight();
    void firstScanBelongsToTheConstructor();
    void scanRules_data();
    void scanRules();
    void chooserFollowsThePorts();
    void enumeratesOnlyWhenDevicesChange();
    void portIsRememberedWhereTheFolderAllows_data();
    void portIsRememberedWhereTheFolderAllows();
    void noTextIsCut();
};

void TestWindow::init()
{
    g_ports = QStringList{"ttyS0", "ttyUSB0"};
    PortList::setSystemSource([] { return g_ports; });
}

void TestWindow::cleanup()
{
    PortList::setApplicationDir(QString());
    PortList::setExtraPorts({});
    QFile::remove(WindowHarness::iniPath());
}

void TestWindow::startValuesAndDialogs()
{
    MainWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Velmor4 util v1.0"));
    QCOMPARE(w.sysParBlock().left(33),
             QByteArray::fromHex("0100DC000100DC000100DC000100DC000100DC000100DC000100DC00"
                                 "01321E320A"));
    QCOMPARE(w.hardwParBlock(), QByteArray::fromHex("C800CC01E402F401B004"));
    QVERIFY(w.findChild<QLabel *>("label_24")->width() >= 161);  // may grow, never shrink

    ModalAnswerer answerer;
    w.showCritical(QStringLiteral("плохо"));
    w.showInformation(QStringLiteral("хорошо"));
    // Enter means "Да" (but in the questions about leaving), Escape (nothing queued) "Нет".
    for (const QString answer : {"Да", "Нет", "", "Enter"}) {
        if (!answer.isEmpty())
            answerer.queueAnswer(answer);
        QCOMPARE(w.askConfirmation(kAppTitle, QStringLiteral("?")),
                 answer == "Да" || answer == "Enter");
    }
    QCOMPARE(answerer.boxes().size(), 6);
    QCOMPARE(answerer.boxes()[0].icon, QMessageBox::Critical);
    QCOMPARE(answerer.boxes()[1].icon, QMessageBox::Information);
    QCOMPARE(answerer.boxes()[4].icon, QMessageBox::Question);

    // Qt's own dialogs speak the window's language.
    setUpApplication(*qApp);
    QFileDialog dialog(&w);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QString texts;
    for (const char *label : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
        texts += dialog.findChild<QLabel *>(label)->text();
    for (const QPushButton *button : dialog.findChildren<QPushButton *>())
        texts += button->text();
    QVERIFY2(!texts.contains(QRegularExpression("[A-Za-z]")), qPrintable(texts));
}

void TestWindow::tabLeavesTheTable()
{
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *table = w.findChild<QTableWidget *>(QStringLiteral("coordTbl"));
    table->setFocus();
    table->setCurrentCell(6, 1);
    QTest::keyClick(table, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.findChild<QLineEdit *>("comUsedEdit"));
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

// The constructor scans; after it only the timer does. A list set right after construction,
// with the timer stopped (as an embedding program would), is not rescanned by a paint.
void TestWindow::firstScanBelongsToTheConstructor()
{
    PtyDevice device;
    QVERIFY(device.open());
    MainWindow w;
    QCOMPARE(items(chooser(w)), g_ports);
    for (QTimer *t : w.findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly))
        t->stop();
    chooser(w)->clear();
    chooser(w)->addItem(device.path());
    w.show();
    QTest::qWait(50);
    w.findChild<QAction *>("actionFirmwareVer")->trigger();
    QCOMPARE(device.waitForBytes(13), QByteArray::fromHex("55AA0800040020000804000030"));
    QCOMPARE(items(chooser(w)), QStringList{device.path()});
}

void TestWindow::scanRules_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("portName");
    QTest::addColumn<int>("currentAfter");
    const auto row
        = [](const char *name, QStringList before, int current, QStringList ports, QString portName,
             int after) { QTest::newRow(name) << before << current << ports << portName << after; };
    row("first fill selects the first", {}, -1, {"A", "B"}, "", 0);
    row("first fill finds the name", {}, -1, {"A", "B"}, "B", 1);
    row("same names keep the selection", {"A", "B"}, 1, {"A", "B"}, "", 1);
    row("renamed port rebuilds", {"A", "B"}, 1, {"A", "C"}, "", 0);
    row("new port rebuilds", {"A", "B"}, 1, {"A", "B", "C"}, "Z", 0);
    row("case matters", {}, -1, {"ttyusb0", "ttyUSB0"}, "ttyUSB0", 1);
    row("all gone", {"A"}, 0, {}, "A", -1);
}

void TestWindow::scanRules()
{
    QFETCH(QStringList, before);
    QFETCH(int, current);
    QFETCH(QStringList, ports);
    QFETCH(QString, portName);
    QFETCH(int, currentAfter);
    QComboBox combo;
    combo.addItems(before);
    combo.setCurrentIndex(current);
    QCOMPARE(applyPortList(&combo, ports, portName), before != ports);
    QCOMPARE(items(&combo), ports);
    QCOMPARE(combo.currentIndex(), currentAfter);
}

void TestWindow::chooserFollowsThePorts()
{
    QSettings(WindowHarness::iniPath(), QSettings::IniFormat).setValue("COM", "ttyUSB7");
    {
        MainWindow w;
        QVERIFY(scanned(w));
        // The remembered port is absent: the first is shown, the remembered name kept.
        QCOMPARE(chooser(w)->currentText(), QStringLiteral("ttyS0"));
        QCOMPARE(w.portName(), QStringLiteral("ttyUSB7"));
    }
    QCOMPARE(remembered(), QStringLiteral("ttyUSB7"));  // a start alone writes nothing
    MainWindow w;
    QVERIFY(scanned(w));
    chooser(w)->setCurrentIndex(1);
    QCOMPARE(remembered(), QStringLiteral("ttyUSB0"));
    // The chosen adapter away and back: rebuilt twice, and the choice kept.
    g_ports = QStringList{"ttyS0", "ttyUSB2"};
    QTRY_COMPARE(items(chooser(w)), g_ports);
    g_ports = QStringList{"ttyS0", "ttyUSB0"};
    QTRY_COMPARE(chooser(w)->currentText(), QStringLiteral("ttyUSB0"));
    // A path from the command line wins over a remembered port that is there.
    PortList::setExtraPorts({"/dev/pts/7"});
    MainWindow withPort;
    QVERIFY(scanned(withPort));
    QCOMPARE(chooser(withPort)->currentText(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(remembered(), QStringLiteral("ttyUSB0"));
}

void TestWindow::enumeratesOnlyWhenDevicesChange()
{
    QTemporaryDir dev;
    int calls = 0;
    const auto count = [&calls] { return ++calls, QStringList{"ttyUSB0"}; };
    PortList::setSystemSource({});
    PortList list(count, dev.path());
    list.ports();
    list.ports();  // nothing changed: the last list, no enumeration
    QCOMPARE(calls, 1);
    QTest::qWait(20);  // a new node gets a later modification time than the directory had
    QVERIFY(QFile(dev.filePath(QStringLiteral("ttyUSB1"))).open(QIODevice::WriteOnly));
    QCOMPARE(list.ports(), QStringList{"ttyUSB0"});
    list.ports();  // and for a while after, while the port may still be registering
    QCOMPARE(calls, 3);
    PortList noDir(count, dev.filePath(QStringLiteral("none")));
    noDir.ports();
    noDir.ports();
    QCOMPARE(calls, 5);
}

void TestWindow::portIsRememberedWhereTheFolderAllows_data()
{
    QTest::addColumn<QString>("appDir");
    QTest::addColumn<bool>("beside");
    QTest::newRow("portable copy") << "bin" << true;
    QTest::newRow("folder below a file") << "file/bin" << false;  // takes no file, even for root
    QTest::newRow("installed copy") << "usr/bin" << false;
    QTest::newRow("no folder anywhere") << "file/bin" << false;  // reported, nothing saved
}

void TestWindow::portIsRememberedWhereTheFolderAllows()
{
    QFETCH(QString, appDir);
    QFETCH(bool, beside);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir tmp;
    const QDir root(tmp.path());
    QVERIFY(root.mkpath("bin") && root.mkpath("usr/bin") && root.mkpath("usr/share/applications"));
    for (const char *file : {"file", "usr/share/applications/org.velmor4.Util.desktop"})
        QVERIFY(QFile(root.filePath(file)).open(QIODevice::WriteOnly));
    const QString perUser
        = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/velmor4_util.ini";
    QFile::remove(perUser);
    const QByteArray home = qgetenv("HOME");
    const bool fails = QByteArray(QTest::currentDataTag()) == "no folder anywhere";
    if (fails)
        qputenv("HOME", root.filePath("file").toUtf8());  // no per-user folder below a file
    ModalAnswerer answerer;
    PortList::setApplicationDir(root.filePath(appDir));
    PortList::setExtraPorts({"/dev/pts/7"});
    MainWindow w;
    QCOMPARE(chooser(w)->currentText(), QStringLiteral("/dev/pts/7"));  // before any scan
    QCOMPARE(w.findChild<QLineEdit *>("uLineShortEdit")->toolTip(), QStringLiteral("1…1023"));
    QVERIFY(scanned(w));
    chooser(w)->setCurrentIndex(1);
    chooser(w)->setCurrentIndex(0);  // a second failure in the run goes unsaid
    QCOMPARE(answerer.boxes().size(), int(fails));
    QVERIFY(!fails || answerer.texts()[0].contains(root.filePath("file/")));
    QCOMPARE(QFile::exists(root.filePath(appDir + "/velmor4_util.ini")), beside);
    QCOMPARE(QFile::exists(perUser), !beside && qgetenv("HOME") == home);
    qputenv("HOME", home);
    QFile::remove(perUser);
}

// Run again by CTest at 120 to 192 DPI: at every display scale each text fits its widget, no
// widget lies over a sibling, and the title of each window and dialog fits its title bar.
void TestWindow::noTextIsCut()
{
    PortList::setExtraPorts({"/tmp/velmor4-line7/ttyUSB-bench0"});
    MainWindow w;
    QVERIFY(scanned(w));
    w.createProgressDialog(QStringLiteral("Обновление...\nБлок 53 из 53, осталось 10:00"), 0, 53);
    auto *progress = w.findChild<QProgressDialog *>();
    progress->show();
    QVERIFY(QTest::qWaitForWindowExposed(progress));
    QStringList faults;
    for (QWidget *top : {static_cast<QWidget *>(&w), static_cast<QWidget *>(progress)})
        if (top->width() < top->fontMetrics().horizontalAdvance(top->windowTitle()) + 150)
            faults << QStringLiteral("title \"%1\"").arg(top->windowTitle());
    for (QWidget *widget : w.findChildren<QWidget *>()) {
        const QFontMetrics fm(widget->font());
        auto *combo = qobject_cast<QComboBox *>(widget);
        QString text = combo ? combo->currentText() : widget->property("text").toString();
        QStyleOptionComboBox opt;
        opt.initFrom(widget);
        // Buttons and group titles need their style's margins on top of the text.
        int room = combo
            ? widget->style()
                  ->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, widget)
                  .width()
            : widget->contentsRect().width();
        if (auto *group = qobject_cast<QGroupBox *>(widget))
            text = group->title();
        if (qobject_cast<QGroupBox *>(widget) || qobject_cast<QPushButton *>(widget))
            room -= qMax(widget->minimumSizeHint().width(), widget->sizeHint().width())
                - fm.horizontalAdvance(text);
        const QStringList lines = text.split('\n');
        int wide = 0;
        for (const QString &line : lines)
            wide = qMax(wide, fm.horizontalAdvance(line));
        const int high = fm.height() + fm.lineSpacing() * (lines.size() - 1);
        if (!text.isEmpty() && widget->isVisible() && (wide > room || high > widget->height()))
            faults << QStringLiteral("%1 \"%2\"").arg(widget->objectName(), text);
        if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_"))
            continue;
        // The form's rows touch by a pixel: what counts is one widget over another.
        for (QWidget *sibling : widget->parentWidget()->findChildren<QWidget *>(
                 QRegularExpression("^(?!qt_)."), Qt::FindDirectChildrenOnly)) {
            const QRect both = sibling->geometry() & widget->geometry();
            if (sibling < widget && sibling->isVisible() && widget->isVisible() && both.width() > 2
                && both.height() > 2)
                faults << widget->objectName() + " over " + sibling->objectName();
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    w.closeProgressDialog();
    ModalAnswerer answerer;  // stops the run on a box too narrow for its title
    w.showCritical(QStringLiteral("Ошибка"));
    QCOMPARE(answerer.boxes().size(), 1);
    // A sharp icon at every scale: 16, 24, 32, 48, 64 and 256 px.
    QCOMPARE(QIcon(QFINDTESTDATA("../resources/vt.ico")).availableSizes().size(), 6);
}

// As the program starts: high-DPI scaling on, the screen's own DPI (QTEST_MAIN assumes 96).
int main(int argc, char *argv[])
{
    enableHighDpiScaling();
    QApplication app(argc, argv);
    TestWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window.moc"
