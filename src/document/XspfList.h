#pragma once

#include "document/ExchangeEntry.h"

#include <QByteArray>

// XSPF ("XML Shareable Playlist Format", version 1) playlists. Pure functions over bytes.
namespace XspfList {

// UTF-8 XML in the XSPF namespace: the playlist's title, then per entry a <track> with its
// percent-encoded file:// <location>, <title> and <duration> in milliseconds when known.
QByteArray write(const QList<ExchangeEntry>& entries, const QString& playlistTitle);

// Reads <trackList>'s tracks in order: the first <location> of each (a URI, resolved against listURL
// when relative; "file:" URIs are local files, others are not local), its <title> and <duration>.
// Elements of other namespaces (players' extensions) and unknown elements are passed over. XML that
// is not well formed, or a root element other than <playlist>, is an error naming the line.
ExchangeReadResult read(const QByteArray& data, const QUrl& listURL);

} // namespace XspfList
