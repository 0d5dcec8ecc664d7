#pragma once

#include "cli/location.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// A place where a device is served: a slot of a fixture, or a port named on the command line.
// Its adapter is looked up by its identity each time it is opened, since the system's name for
// it may move to another adapter.
struct Slot
{
    enum Identity { ByName, ByLocation, BySerial };
    QString name;  // the fixture's name for it; empty for a port named on the command line
    Identity by = ByName;
    QString value;  // the port name, the location or the serial number
};

// "location=1-1.2:1.0", "serial=A50285BI", "port=ttyUSB0"
QString identityText(const Slot &slot);

// A fixture file: one slot a line, "NAME location=VALUE", "NAME serial=VALUE" or
// "NAME port=VALUE", a "#" at a line's start or after a space begins a comment. False with a
// message naming the line.
bool parseFixture(const QByteArray &text, QVector<Slot> *slotList, QString *error);
// A fixture file for the adapters plugged in now: a slot per location, in location order.
QByteArray fixtureText(const QVector<SystemPort> &ports);

// One name for a port however it is written: a link, a relative name, /dev/ or \\.\ in front,
// and on Windows any case.
QString portKey(const QString &name);

// The ports that match the slot's identity now; more than one is never a guess.
QVector<SystemPort> matchSlot(const Slot &slot, const QVector<SystemPort> &ports);
