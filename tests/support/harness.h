#pragma once

#include "app/mainwindow.h"
#include "devsim/session.h"
#include "tests/support/modalanswerer.h"

#include <memory>

class QLineEdit;
class QTableWidget;

// The real window talking to the simulator over a pseudo-terminal, in this process. The port
// chooser offers only the simulator's line; dialogs are answered by the answerer.
class WindowHarness
{
public:
    explicit WindowHarness(const SimOptions &options = SimOptions());
    ~WindowHarness();

    bool start();  // starts the simulator, then builds the window
    void destroyWindow() { m_window.reset(); }
    static QString iniPath();

    Simulator &sim() { return m_sim; }
    MainWindow &window() { return *m_window; }
    ModalAnswerer &answerer() { return m_answerer; }

    void trigger(const char *actionName);
    QLineEdit *edit(const char *name);
    QTableWidget *table();
    void setCell(int row, int column, const QString &text);
    QString cell(int row, int column);

    // Runs an action and waits for the given number of boxes it ends with.
    bool run(const char *actionName, int boxes = 1, int timeoutMs = 5000);

private:
    Simulator m_sim;
    ModalAnswerer m_answerer;
    std::unique_ptr<MainWindow> m_window;
};

#include "tests/support/ptydevice.h"

// The real window against a pseudo-terminal whose replies the test writes byte for byte,
// for replies no well-behaved device would send.
class RawWindow
{
public:
    ~RawWindow();
    bool start();

    MainWindow &window() { return *m_window; }
    ModalAnswerer &answerer() { return m_answerer; }
    PtyDevice &device() { return m_device; }

    void trigger(const char *actionName);
    // Waits for a whole request frame from the window and returns its body.
    QByteArray takeRequest(int timeoutMs = 2000);
    void reply(const QByteArray &payload);

private:
    PtyDevice m_device;
    ModalAnswerer m_answerer;
    std::unique_ptr<MainWindow> m_window;
};
