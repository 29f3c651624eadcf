#pragma once
// Which files the Images and Music lists take: the Add dialog's filters, the extensions of each kind, and
// the files that dropped paths give.

#include <QList>
#include <QString>
#include <QStringList>

class QUrl;

namespace vorlin::builder {

// The Add dialog's filter for pictures: "All Pictures" with every extension the loader knows, then one
// entry per kind of picture.
QString pictureFilter();
inline constexpr const char* kMusicFilter =
    "All Support Types|*.mp3;*.wav;*.mid|Mp3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav|MIDI Files "
    "(*.mid)|*.mid";

// The extensions each list takes, in lower case (the pictures': every one the loader knows).
const QStringList& pictureSuffixes();
const QStringList& musicSuffixes();

// The local files among `urls` whose extension is one of `suffixes`; a folder gives its files and those of
// its sub-folders, sorted by path.
QStringList expandDropped(const QList<QUrl>& urls, const QStringList& suffixes);

} // namespace vorlin::builder
