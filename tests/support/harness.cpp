#include "tests/support/harness.h"

#include "app/portlist.h"
#include "link/frame.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>

namespace {
// A fresh window whose port chooser offers only the given line, with nothing remembered.
MainWindow *windowOn(const QString &path)
{
    QFile::remove(WindowHarness::iniPath());
    PortList::setSystemSource([] { return QStringList(); });
    PortList::setExtraPorts({path});
    auto *window = new MainWindow;
    window->show();
    return window;
}

void forgetPorts()
{
    PortList::setSystemSource({});
    PortList::setExtraPorts({});
    QFile::remove(WindowHarness::iniPath());
}
}  // namespace

WindowHarness::WindowHarness(const SimOptions &options)
    : m_sim(options)
{
}

WindowHarness::~WindowHarness()
{
    m_window.reset();
    forgetPorts();
}

QString WindowHarness::iniPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/velmor4_util.ini");
}

bool WindowHarness::start()
{
    if (!m_sim.start())
        return false;
    m_window.reset(windowOn(m_sim.slavePath()));
    return true;
}

void WindowHarness::trigger(const char *actionName)
{
    m_window->findChild<QAction *>(QLatin1String(actionName))->trigger();
}

QLineEdit *WindowHarness::edit(const char *name)
{
    return m_window->findChild<QLineEdit *>(QLatin1String(name));
}

QTableWidget *WindowHarness::table()
{
    return m_window->findChild<QTableWidget *>(QStringLiteral("coordTbl"));
}

void WindowHarness::setCell(int row, int column, const QString &text)
{
    table()->item(row, column)->setText(text);
}

QString WindowHarness::cell(int row, int column)
{
    return table()->item(row, column)->text();
}

bool WindowHarness::run(const char *actionName, int boxes, int timeoutMs)
{
    const int before = m_answerer.boxes().size();
    trigger(actionName);
    return m_answerer.waitForBoxes(before + boxes, timeoutMs);
}

RawWindow::~RawWindow()
{
    m_window.reset();
    forgetPorts();
}

bool RawWindow::start()
{
    if (!m_device.open())
        return false;
    m_window.reset(windowOn(m_device.path()));
    return true;
}

void RawWindow::trigger(const char *actionName)
{
    m_window->findChild<QAction *>(QLatin1String(actionName))->trigger();
}

QByteArray RawWindow::takeRequest(int timeoutMs)
{
    QByteArray got = m_device.waitForBytes(4, timeoutMs);
    if (got.size() < 4)
        return QByteArray();
    const int length = quint8(got.at(2)) | quint8(got.at(3)) << 8;
    got = m_device.waitForBytes(length + 5, timeoutMs);
    if (got.size() < length + 5)
        return QByteArray();
    m_device.consume(length + 5);
    return got.mid(4, length);
}

void RawWindow::reply(const QByteArray &payload)
{
    m_device.write(encodeFrame(payload));
}
