#include "platform/media/AudioOutputs.h"

#include <QByteArray>
#include <alsa/asoundlib.h>
#include <cstdlib>
#include <mutex>

namespace {

// ALSA's messages about devices that are not there (its default handler prints them all).
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

} // namespace

const char* AudioOutputs::outputList(bool audible) {
    return audible ? "pipewire,pulse,alsa,null" : "null";
}

bool AudioOutputs::debugRequested() {
    const QByteArray value = qgetenv("ORVANTA_DEBUG_AUDIO");
    return !value.isEmpty() && value != "0";
}

void AudioOutputs::quietProbing() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (debugRequested())
            return;
        // libpipewire reads its log level when a client starts; a level the user chose stays.
        ::setenv("PIPEWIRE_DEBUG", "0", /*overwrite=*/0);
        snd_lib_error_set_handler(&ignoreAlsaMessage);
    });
}
