#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>

// A zip archive held in memory, read only within its own bytes: every size
// and offset its directory declares is checked against the archive before it
// is used, and an entry is inflated within a size the caller sets. Stored and
// deflated entries can be read; no zip64, no encryption, no spanning.
class ZipArchive
{
public:
    enum class Kind {
        File,
        Folder,
        // A symbolic link, or a kind of entry this reader does not know.
        Other,
    };

    struct Entry
    {
        QString path;
        Kind kind = Kind::Other;

    private:
        friend class ZipArchive;
        // Where the entry's data lies; -1 when it cannot be read.
        qint64 dataOffset = -1;
        qint64 compressedSize = 0;
        bool deflated = false;
    };

    explicit ZipArchive(const QByteArray& archive);

    // In the order of the directory; empty unless the archive ends with a
    // directory that lies whole inside it.
    const QVector<Entry>& entries() const { return list; }

    // The entry's contents; nothing when its data lies outside the archive,
    // is neither stored nor deflated, is damaged or comes to more than
    // maxSize bytes.
    std::optional<QByteArray> read(const Entry& entry, qint64 maxSize) const;

private:
    void readDirectory();
    void locateData(Entry& entry, qint64 headerOffset, quint16 method, quint16 flags, qint64 dataEnd) const;

    const QByteArray bytes;
    QVector<Entry> list;
};
