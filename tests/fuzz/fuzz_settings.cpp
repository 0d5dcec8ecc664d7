// libFuzzer target: whatever the settings-file reader accepts writes back and reads to the same
// blocks; whatever it refuses leaves its outputs alone and says why.
#include "params/settingsfile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    QByteArray sys("untouched");
    QByteArray hardw("untouched");
    SettingsFileError error;
    if (!parseSettingsFile(text, &sys, &hardw, &error)) {
        if (sys != "untouched" || hardw != "untouched" || error.kind == SettingsFileError::None)
            std::abort();
        return 0;
    }
    QByteArray sys2;
    QByteArray hardw2;
    if (!parseSettingsFile(settingsFileText(sys, hardw), &sys2, &hardw2, &error) || sys2 != sys
        || hardw2 != hardw)
        std::abort();
    return 0;
}
