#include "ZipArchive.h"

#include "Inflate.h"

#include <QtEndian>

namespace {

constexpr quint32 EndSignature = 0x06054b50;
constexpr quint32 DirectorySignature = 0x02014b50;
constexpr quint32 LocalSignature = 0x04034b50;
constexpr qint64 EndRecordSize = 22;
constexpr qint64 DirectoryRecordSize = 46;
constexpr qint64 LocalHeaderSize = 30;
// The end record may be followed by a comment of up to this many bytes.
constexpr qint64 MaxCommentSize = 0xffff;

constexpr quint16 Encrypted = 0x0001;
constexpr quint16 Utf8Names = 0x0800;
constexpr quint16 Stored = 0;
constexpr quint16 Deflated = 8;

// Callers check that the field lies inside the archive.
quint16 u16(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// What the attributes say, read as the system that made the archive wrote them.
ZipArchive::Kind kindOf(int madeBy, quint32 attributes, const QString& path)
{
    if (path.endsWith(QLatin1Char('/')))
        return ZipArchive::Kind::Folder;
    switch (madeBy) {
    case 3: // Unix: the file mode in the upper half
        switch ((attributes >> 16) & 0170000) {
        case 0040000:
            return ZipArchive::Kind::Folder;
        case 0120000:
            return ZipArchive::Kind::Other;
        default:
            return ZipArchive::Kind::File;
        }
    case 0: // FAT, HPFS, NTFS, VFAT: the DOS attributes
    case 6:
    case 11:
    case 14:
        return attributes & 0x10 ? ZipArchive::Kind::Folder : ZipArchive::Kind::File;
    default:
        return ZipArchive::Kind::Other;
    }
}

} // namespace

ZipArchive::ZipArchive(const QByteArray& archive)
    : bytes(archive)
{
    readDirectory();
}

void ZipArchive::readDirectory()
{
    const qint64 size = bytes.size();
    qint64 end = -1;
    for (qint64 at = size - EndRecordSize; at >= 0 && at >= size - EndRecordSize - MaxCommentSize; --at) {
        if (u32(bytes, at) == EndSignature && at + EndRecordSize + u16(bytes, at + 20) <= size) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return;
    const int count = u16(bytes, end + 10);
    const qint64 directorySize = u32(bytes, end + 12);
    const qint64 directory = u32(bytes, end + 16);
    // One disk only; the directory lies between the entries and the end record.
    if (u16(bytes, end + 4) != 0 || u16(bytes, end + 6) != 0 || u16(bytes, end + 8) != count
        || directory + directorySize > end)
        return;

    QVector<Entry> found;
    found.reserve(count);
    const qint64 directoryEnd = directory + directorySize;
    qint64 at = directory;
    for (int i = 0; i < count; ++i) {
        if (at + DirectoryRecordSize > directoryEnd || u32(bytes, at) != DirectorySignature)
            return;
        const qint64 nameSize = u16(bytes, at + 28);
        const qint64 next = at + DirectoryRecordSize + nameSize + u16(bytes, at + 30) + u16(bytes, at + 32);
        if (next > directoryEnd)
            return;
        const quint16 flags = u16(bytes, at + 8);
        const QByteArray name = bytes.mid(int(at + DirectoryRecordSize), int(nameSize));
        Entry entry;
        entry.path = flags & Utf8Names ? QString::fromUtf8(name) : QString::fromLocal8Bit(name);
        entry.kind = kindOf(u16(bytes, at + 4) >> 8, u32(bytes, at + 38), entry.path);
        entry.compressedSize = u32(bytes, at + 20);
        // The data of every entry lies before the directory.
        locateData(entry, u32(bytes, at + 42), u16(bytes, at + 10), flags, directory);
        found.append(entry);
        at = next;
    }
    list = found;
}

void ZipArchive::locateData(
    Entry& entry, qint64 headerOffset, quint16 method, quint16 flags, qint64 dataEnd) const
{
    if ((flags & Encrypted) || (method != Stored && method != Deflated))
        return;
    if (headerOffset + LocalHeaderSize > dataEnd || u32(bytes, headerOffset) != LocalSignature)
        return;
    // The local header's name and extra field need not match the directory's.
    const qint64 data
        = headerOffset + LocalHeaderSize + u16(bytes, headerOffset + 26) + u16(bytes, headerOffset + 28);
    if (data + entry.compressedSize > dataEnd)
        return;
    entry.dataOffset = data;
    entry.deflated = method == Deflated;
}

std::optional<QByteArray> ZipArchive::read(const Entry& entry, qint64 maxSize) const
{
    if (entry.dataOffset < 0 || entry.dataOffset + entry.compressedSize > bytes.size())
        return std::nullopt;
    const char* data = bytes.constData() + entry.dataOffset;
    const int dataSize = int(entry.compressedSize);
    if (!entry.deflated) {
        if (dataSize > maxSize)
            return std::nullopt;
        return QByteArray(data, dataSize);
    }
    return Inflate::Bounded(QByteArray::fromRawData(data, dataSize), Inflate::RawDeflate, maxSize);
}
