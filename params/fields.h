#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// One settings field: where it sits in its block, where the window shows it, what it accepts.
struct ParamField
{
    const char *key;   // name in a settings file
    const char *edit;  // object name of the line edit; null for a cell of the switch table
    int row;           // the switch-table cell when edit is null
    int column;
    int offset;  // in the block
    int width;   // 1 or 2 bytes, little-endian
    int min;     // accepted shown value, inclusive
    int max;
    int bias;     // shown value = stored value + bias
    int factory;  // shown factory value
};

// In the order the window checks them; the first bad one stops a write.
const QVector<ParamField> &sysParFields();
const QVector<ParamField> &hardwParFields();

constexpr int kSysReservedOffset = 33;  // the device's own byte, never edited here
constexpr int kSwitchCount = 7;

// The shown decimal text of the field's value in block (no wrapping: 255 + 2 shows as 257).
QString fieldText(const ParamField &field, const QByteArray &block);

// Plain unsigned decimal within the field's range; false for anything else.
bool parseField(const ParamField &field, const QString &text, quint16 *shown);

void storeField(const ParamField &field, quint16 shown, QByteArray &block);

// Converts texts (one per field, same order) into block; returns the index of the first bad
// text, or -1 when all were stored.
int storeFields(const QVector<ParamField> &fields, const QStringList &texts, QByteArray &block);
