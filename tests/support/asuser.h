#pragma once

#include <QByteArray>

#include <functional>

// Runs work in a child process that has dropped root's privileges to the given user and group
// (as an ordinary user it runs as that user) and returns what the work returned.
QByteArray runAsUser(unsigned uid, unsigned gid, const std::function<QByteArray()> &work);
