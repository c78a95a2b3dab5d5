#pragma once

#include <QString>

// Where Orvanta keeps its own files, by the XDG convention of one lowercase folder per application:
// its data in $XDG_DATA_HOME/orvanta and its preferences in $XDG_CONFIG_HOME/orvanta/orvanta.conf.
namespace AppPaths {

QString dataFolder();
QString settingsFile();

// Earlier versions kept both under an "Orvanta/Orvanta" pair of folders. Moves what is there to the
// current places, once: only where nothing is at the current place yet. Call before either is used.
// Answers a sentence for each thing that could not be moved (nothing is lost: the old place stays).
QStringList adoptEarlierLocations();

} // namespace AppPaths
