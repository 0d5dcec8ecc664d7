#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QTimer>

// Answers the program's modal dialogs the way a user would, by watching
// QApplication::activeModalWidget(). Every box must be titled with the program's name. Message
// boxes with one button are acknowledged; questions
// take the next queued answer: a button's text, or a key pressed where the focus is ("Enter";
// Escape for anything else, and when none is queued); file dialogs take the next queued
// file name (an empty name cancels them).
class ModalAnswerer : public QObject
{
    Q_OBJECT
public:
    struct Seen
    {
        QString text;
        QMessageBox::Icon icon;
        bool focused;  // the keyboard focus was in the box
    };

    explicit ModalAnswerer(QObject *parent = nullptr);

    void queueAnswer(const QString &buttonText) { m_answers.enqueue(buttonText); }
    void queueFileName(const QString &path) { m_fileNames.enqueue(path); }
    // Leaves each message box up for a while before answering, as a reading user would.
    void holdBoxes(int ms) { m_holdMs = ms; }

    const QList<Seen> &boxes() const { return m_boxes; }
    QStringList texts() const;
    int fileDialogs() const { return m_fileDialogs; }

    // Spins the event loop until `count` message boxes have been answered.
    bool waitForBoxes(int count, int timeoutMs = 5000);

signals:
    void answered();

private:
    void poll();

    QTimer m_timer;
    QPointer<QWidget> m_pending;
    QElapsedTimer m_shown;
    int m_holdMs = 0;
    QQueue<QString> m_answers;
    QQueue<QString> m_fileNames;
    QList<Seen> m_boxes;
    int m_fileDialogs = 0;
};
