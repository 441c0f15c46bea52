#pragma once

// Builds zip archives in memory for the tests, hostile ones included.

#include <QBuffer>
#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <private/qzipwriter_p.h>

struct ZipEntry
{
    enum class Kind { File, Folder, Link };
    Kind kind = Kind::File;
    QString path;
    // A file's content; a link's destination.
    QByteArray data;

    static ZipEntry file(const QString& path, const QByteArray& data) { return { Kind::File, path, data }; }
    static ZipEntry folder(const QString& path) { return { Kind::Folder, path, {} }; }
    static ZipEntry link(const QString& path, const QString& to) { return { Kind::Link, path, to.toUtf8() }; }
};

using ZipEntries = QList<ZipEntry>;
Q_DECLARE_METATYPE(ZipEntries)

inline QByteArray makeZip(const ZipEntries& entries)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QZipWriter writer(&buffer);
        for (const ZipEntry& entry : entries) {
            switch (entry.kind) {
            case ZipEntry::Kind::File:
                writer.addFile(entry.path, entry.data);
                break;
            case ZipEntry::Kind::Folder:
                writer.addDirectory(entry.path);
                break;
            case ZipEntry::Kind::Link:
                writer.addSymLink(entry.path, QString::fromUtf8(entry.data));
                break;
            }
        }
    }
    return buffer.data();
}
