#pragma once

#include <QByteArray>
#include <QString>

// A settings file holds both blocks as text an engineer can read and diff:
//
//   # Velmor4 util settings
//   format = 1
//
//   [system]
//   switch1.start = 1
//   ...
//   reserved = 0
//
//   [hardware]
//   ULINE_SHORT = 200
//   ...
//
// Values are the numbers the window shows, checked against the window's ranges on reading;
// "reserved" is the device's own byte 33 of the system block, kept as it was read (0..255).
// Lines starting with '#' and blank lines are ignored; every key must appear exactly once.

constexpr int kSettingsFormat = 1;
// Far larger than any real settings file (under 1 KiB); keeps a wrongly chosen file from being
// read whole.
constexpr qint64 kSettingsFileLimit = 64 * 1024;

QByteArray settingsFileText(const QByteArray &sysBlock, const QByteArray &hardwBlock);

// Why a settings file was refused.
struct SettingsFileError
{
    enum Kind {
        None,
        NulByte,
        BadLine,
        DuplicateKey,
        UnknownFormat,
        BadValue,
        MissingKey,
        UnknownKey,
        TooLarge  // over kSettingsFileLimit: found by whoever reads the file
    };
    Kind kind = None;
    int line = 0;  // counted from 1; 0 for a key that is missing
    QString key;   // "section.key"
    int min = 0;   // BadValue, MissingKey: the accepted range
    int max = 0;
    int firstLine = 0;  // DuplicateKey: where the key was first given
};

// Reads both blocks from text. On any fault returns false with the reason and leaves the
// outputs untouched.
bool parseSettingsFile(const QByteArray &text, QByteArray *sysBlock, QByteArray *hardwBlock,
                       SettingsFileError *error);

// The fault, in the program's language: "line 3: unknown key switch9.start".
QString settingsFileErrorText(const SettingsFileError &error);
