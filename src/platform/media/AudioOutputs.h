#pragma once

// Which of libmpv's audio outputs the players try, and what the sound libraries may print meanwhile.
//
// The desktop's sound servers come first, then ALSA, then none: a machine without sound plays
// silently. SDL's output is never tried (two cores that start it at once crash inside SDL, and its
// device-watching thread can keep the core's end waiting for ever), nor JACK or OpenAL, which would only
// start servers or devices of their own.
//
// Trying an output that is not there makes libpipewire and ALSA print to standard error, about twenty
// lines for every clip that starts. quietProbing() keeps them quiet unless ORVANTA_DEBUG_AUDIO is set,
// which also prints libmpv's own messages about its audio outputs.
class AudioOutputs {
public:
    // The value of libmpv's "ao" option: the list above, or "null" for a player without sound.
    static const char* outputList(bool audible);
    // ORVANTA_DEBUG_AUDIO is set to something other than "" or "0".
    static bool debugRequested();
    // Once per process, before the first core starts; later calls do nothing. Thread-safe.
    static void quietProbing();
};
