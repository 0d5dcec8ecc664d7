#pragma once

#include "app/mainwindow.h"
#include "devsim/session.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/ptydevice.h"
#include "tests/support/samples.h"

#include <QAction>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>

// The real window in this process, its port chooser offering one pseudo-terminal alone: played
// by the simulator (start), or byte for byte by the test (startRaw) for replies no well-behaved
// device would send. Dialogs are answered by the answerer.
class WindowHarness
{
public:
    explicit WindowHarness(const SimOptions &options = SimOptions());
    ~WindowHarness();

    bool start();
    bool startRaw();
    void destroyWindow() { m_window.reset(); }
    static QString iniPath();

    Simulator &sim() { return m_sim; }
    PtyDevice &device() { return m_device; }
    MainWindow &window() { return *m_window; }
    ModalAnswerer &answerer() { return m_answerer; }

    void trigger(const char *action) { m_window->findChild<QAction *>(action)->trigger(); }
    QLineEdit *edit(const char *name) { return m_window->findChild<QLineEdit *>(name); }
    QTableWidget *table() { return m_window->findChild<QTableWidget *>("coordTbl"); }
    void setCell(int row, int column, const QString &text)
    {
        table()->item(row, column)->setText(text);
    }
    // "field=text": a line edit by name, a cell of the switch table as "row,column".
    void setField(const QString &edit);
    // Runs an action and waits for the given number of boxes it ends with.
    bool run(const char *actionName, int boxes = 1, int timeoutMs = 5000);

    // Confirms an upload and picks a file holding image; then waits for that many more boxes.
    bool upload(const QByteArray &image, int boxes = 2, int timeoutMs = 20000);

    // On the raw line: the body of the window's next whole request frame, and a reply to it.
    QByteArray takeRequest(int timeoutMs = 2000);
    void reply(const QByteArray &payload);

private:
    bool openWindow(const QString &path);

    Simulator m_sim;
    PtyDevice m_device;
    QTemporaryDir m_files;
    ModalAnswerer m_answerer;
    std::unique_ptr<MainWindow> m_window;
};
