#pragma once
// The finder of one directory: the entries that match one wildcard mask and an attribute filter,
// returned as pairs of lines (directory, bare name) in name order, numbers by their value
// (NaturalOrder.h).
//
// Linux has no hidden, system or volume-label attributes. A name beginning with "." counts as hidden
// ("." and ".." excepted, which are plain directory entries); nothing is a system file or a volume
// label. A symbolic link has the kind of what it points to, so a link to a directory is not listed
// as a file; the walk never enters a link, so a link cycle cannot make a search repeat itself.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Attribute bits of the filter.
enum : uint16_t {
    faReadOnly = 1,
    faHidden = 2,
    faSysFile = 4,
    faVolumeID = 8,
    faDirectory = 16,
    faArchive = 32,
    faAnyFile = 63,
};

// A file-name wildcard: "*" stands for any run of characters, "?" for any one character, letter
// case is ignored. A mask ending in ".*" also matches the name without any extension, so "*.*"
// matches every name, with or without a dot.
class WildcardMask {
public:
    explicit WildcardMask(const QString& mask = QString());
    // A name as the file system holds it (UTF-8 bytes).
    bool matches(const char* name, size_t length) const;
    bool matches(const QString& name) const;

private:
    bool matchesFolded(const QString& foldedName) const;

    bool matchAll_ = false;
    bool ascii_ = false;          // the mask is plain ASCII: ASCII names are matched byte by byte
    QByteArray asciiMask_;        // lower-cased
    QByteArray asciiBare_;        // without its final ".*" (empty when it has none)
    QString foldedMask_;
    QString foldedBare_;
    bool hasBare_ = false;
};

class trecherche {
public:
    trecherche();

    // Enumerates Chemin (directory + mask) with Attributs into Resultats; true when at least one
    // entry was found. A directory that can't be read gives false and no results.
    bool Chercher();

    // Of the entries of the last Chercher, in order: whether the walk may enter it (a directory
    // that is not "." or ".." and not a link).
    bool Enterable(int entry) const { return entry >= 0 && size_t(entry) < enterable_.size() && enterable_[size_t(entry)]; }

    // The entries of Chercher on dir + "*.*" with Attributs 16 that the walk may enter, in name
    // order, without building the lines of the plain files it would also return; Resultats and
    // Chemin are left alone. The walk asks this of every directory it reads.
    QStringList SousRepertoires(const QString& dir) const;

    QString Repertoire;      // directory part of Chemin, with its trailing "/"
    QStringList Resultats;   // two lines per entry: Repertoire, then the bare name
    QString Chemin;          // directory + one mask; "*.*" at first
    uint16_t Attributs;      // which kinds of entries are returned; 63 at first

private:
    std::vector<char> enterable_;
};
