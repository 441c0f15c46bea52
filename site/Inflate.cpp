#include "Inflate.h"

#include <zlib.h>

#include <algorithm>

namespace Inflate {

std::optional<QByteArray> Bounded(const QByteArray& compressed, int windowBits, qint64 maxSize)
{
    if (maxSize < 0 || maxSize >= qint64(INT_MAX))
        return std::nullopt;
    z_stream stream {};
    // zlib reads through a non-const pointer but never writes the input.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    if (inflateInit2(&stream, windowBits) != Z_OK)
        return std::nullopt;

    constexpr qint64 ChunkSize = 64 * 1024;
    QByteArray inflated;
    int status = Z_OK;
    while (status == Z_OK) {
        // One byte past the limit is enough to know the stream is too large.
        const qint64 room = std::min(ChunkSize, maxSize + 1 - inflated.size());
        if (room <= 0)
            break;
        const int before = inflated.size();
        inflated.resize(before + int(room));
        stream.next_out = reinterpret_cast<Bytef*>(inflated.data() + before);
        stream.avail_out = static_cast<uInt>(room);
        status = inflate(&stream, Z_NO_FLUSH);
        inflated.resize(before + int(room - stream.avail_out));
    }
    inflateEnd(&stream);
    // Z_BUF_ERROR: the input ended before the stream did.
    if (status != Z_STREAM_END || inflated.size() > maxSize)
        return std::nullopt;
    return inflated;
}

} // namespace Inflate
