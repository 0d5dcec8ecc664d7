#pragma once

#include <QByteArray>
#include <QString>

// Bytes like a firmware image: each differs from its neighbours, and images of other seeds differ.
QByteArray testImage(int size, int seed = 0);
// Writes bytes to path and returns the path.
QString writeTestFile(const QString &path, const QByteArray &bytes);

// A system block unlike the factory one in every field (used 7, thresholds 100 and 60, talk
// time 240, calls 60), and a hardware block of edge values.
QByteArray sampleSys();
extern const QByteArray kSampleHardw;
