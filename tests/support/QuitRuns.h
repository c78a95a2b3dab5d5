#pragma once

#include <QString>
#include <csignal>
#include <vector>

// Quitting the real program while it plays: each way of asking, at moments spread over the start, the
// first clip and the clip changes, on looping standard and dynamic playlists of a 3 s 960x540 clip with
// sound, with the real choice of audio outputs (no sound device at all, or a private PulseAudio server
// with a null sink, whose stream is checked now and then). Every run must end within 3 s with status 0,
// print no audio probing, and leave its playlist readable and whole.
//
// ORVANTA_QUIT_RUNS sets the runs per way (2 by default; scripts/quit-stress runs more), and
// ORVANTA_QUIT_APP another build of the program to measure.
struct QuitWay {
    const char* name;
    int signal; // 0: the Quit command's key, Ctrl+Q, pressed in the playlist window through X
};
inline const std::vector<QuitWay> QuitSignals = {
    {"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
inline const QuitWay QuitCommand = {"Quit", 0};

// Runs each way ORVANTA_QUIT_RUNS times, alternating the playlist's kind and the sound; prints how many
// runs of each way failed and fails the test with what went wrong in each.
void quitRepeatedly(const QString& binary, bool offscreen, const std::vector<QuitWay>& ways);
