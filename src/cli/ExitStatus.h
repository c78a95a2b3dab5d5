#pragma once

// What a command of the tool answers to the shell.
enum class ExitStatus : int {
    Success = 0,
    Failure = 1, // the command could not do its work: a file that is missing, unreadable or not a playlist
    Usage = 2,   // the command line itself is wrong
};
