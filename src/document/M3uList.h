#pragma once

#include "document/ExchangeEntry.h"

#include <QByteArray>

// M3U and M3U8 playlists: one entry a line, "#EXTM3U" first and "#EXTINF:<seconds>,<title>" before
// each entry in the extended form. Pure functions over bytes.
namespace M3uList {

// UTF-8 text: "#EXTM3U", then per entry "#EXTINF:<whole seconds, -1 when unknown>,<title>" and its path,
// relative to listFolder when the file is inside that folder (or below it), absolute otherwise.
QByteArray write(const QList<ExchangeEntry>& entries, const QString& listFolder);

// Reads UTF-8 (text that is not valid UTF-8 is read as Latin-1, as older players wrote it). Paths are
// resolved relative to listFolder; "file:" URLs are taken as they are; other URLs are not local.
// Directives and comments other than #EXTINF are passed over. Bytes that are no text (a NUL) are an
// error.
ExchangeReadResult read(const QByteArray& data, const QString& listFolder);

} // namespace M3uList
