#include "params/fields.h"

#include "link/protocol.h"

#include <QStringList>

namespace {

QVector<ParamField> makeSysFields()
{
    static const char *const kKeys[kSwitchCount][2] = {
        {"switch1.start", "switch1.end"}, {"switch2.start", "switch2.end"},
        {"switch3.start", "switch3.end"}, {"switch4.start", "switch4.end"},
        {"switch5.start", "switch5.end"}, {"switch6.start", "switch6.end"},
        {"switch7.start", "switch7.end"},
    };
    QVector<ParamField> fields;
    for (int k = 0; k < kSwitchCount; ++k) {
        fields.append({kKeys[k][0], nullptr, k, 0, 4 * k, 2, 0, 65535, 0, 1});
        fields.append({kKeys[k][1], nullptr, k, 1, 4 * k + 2, 2, 0, 65535, 0, 220});
    }
    // Calls and talk time are stored with an offset; below it there is no byte to store.
    fields.append({"switches_used", "comUsedEdit", 0, 0, 28, 1, 0, 7, 0, 1});
    fields.append({"calls", "callCountEdit", 0, 0, 32, 1, 2, 60, 2, 12});
    fields.append({"talk_time", "talkTimeoutEdit", 0, 0, 31, 1, 40, 240, 40, 90});
    fields.append({"low_threshold", "loThrEdit", 0, 0, 29, 1, 1, 100, 0, 50});
    fields.append({"high_threshold", "hiThrEdit", 0, 0, 30, 1, 1, 60, 0, 30});
    return fields;
}

}  // namespace

const QVector<ParamField> &sysParFields()
{
    static const QVector<ParamField> fields = makeSysFields();
    return fields;
}

const QVector<ParamField> &hardwParFields()
{
    static const QVector<ParamField> fields = {
        {"ULINE_SHORT", "uLineShortEdit", 0, 0, 0, 2, 1, 1023, 0, 200},
        {"ULINE_TR_DOWN", "uLineTrDownEdit", 0, 0, 2, 2, 1, 1023, 0, 460},
        {"ULINE_TR_UP", "uLineTrUpEdit", 0, 0, 4, 2, 1, 1023, 0, 740},
        {"STAB_TIMEOUT", "stabTimeoutEdit", 0, 0, 6, 2, 1, 65535, 0, 500},
        {"REPEAT_TIMEOUT", "repeatTimeoutEdit", 0, 0, 8, 2, 1, 65535, 0, 1200},
    };
    return fields;
}

QString fieldText(const ParamField &field, const QByteArray &block)
{
    const auto byteAt = [&](int i) { return uint(quint8(block.at(field.offset + i))); };
    uint value = byteAt(0);
    if (field.width == 2)
        value |= byteAt(1) << 8;
    return QString::number(value + uint(field.bias), 10);
}

bool parseField(const ParamField &field, const QString &text, quint16 *shown)
{
    bool ok = false;
    const quint16 value = text.toUShort(&ok, 10);
    if (!ok || value < field.min || value > field.max)
        return false;
    *shown = value;
    return true;
}

void storeField(const ParamField &field, quint16 shown, QByteArray &block)
{
    const quint16 stored = quint16(shown - field.bias);
    block[field.offset] = char(stored & 0xFF);
    if (field.width == 2)
        block[field.offset + 1] = char(stored >> 8);
}

int storeFields(const QVector<ParamField> &fields, const QStringList &texts, QByteArray &block)
{
    for (int i = 0; i < fields.size(); ++i) {
        quint16 shown = 0;
        if (i >= texts.size() || !parseField(fields[i], texts[i], &shown))
            return i;
        storeField(fields[i], shown, block);
    }
    return -1;
}
