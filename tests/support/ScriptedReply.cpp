#include "ScriptedReply.h"

#include <QHash>
#include <QJsonObject>

#include <zlib.h>

namespace {

QByteArray ReasonPhrase(int status)
{
    static const QHash<int, QByteArray> phrases { { 200, "OK" }, { 204, "No Content" }, { 302, "Found" },
        { 400, "Bad Request" }, { 404, "Not Found" }, { 500, "Internal Server Error" },
        { 503, "Service Unavailable" } };
    return phrases.value(status, "Status");
}

} // namespace

ScriptedReply ScriptedReply::json(const QJsonDocument& document, int status)
{
    return text(document.toJson(QJsonDocument::Compact), "application/json", status);
}

ScriptedReply ScriptedReply::rpcResult(const QJsonValue& result)
{
    return json(QJsonDocument(QJsonObject { { "jsonrpc", "2.0" }, { "result", result }, { "id", 1 } }));
}

ScriptedReply ScriptedReply::text(const QByteArray& body, const QByteArray& contentType, int status)
{
    return ScriptedReply { status, { { "Content-Type", contentType } }, body };
}

ScriptedReply ScriptedReply::error(int status)
{
    return text(QByteArray::number(status) + ' ' + ReasonPhrase(status), "text/plain", status);
}

QByteArray ScriptedReply::toWire(bool closing) const
{
    const QByteArray payload = gzip ? gzipCompress(body) : body;
    QByteArray wire = "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonPhrase(status) + "\r\n";
    for (const auto& header : headers)
        wire += header.first + ": " + header.second + "\r\n";
    if (gzip)
        wire += "Content-Encoding: gzip\r\n";
    wire += chunked ? QByteArray("Transfer-Encoding: chunked\r\n")
                    : "Content-Length: " + QByteArray::number(payload.size()) + "\r\n";
    wire += closing ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
    if (!chunked)
        return wire + payload;
    // Several chunks, so a reader has to join them.
    const int size = qMax(1, (payload.size() + 2) / 3);
    for (int offset = 0; offset < payload.size(); offset += size)
        wire += QByteArray::number(qMin(size, payload.size() - offset), 16) + "\r\n"
            + payload.mid(offset, size) + "\r\n";
    return wire + "0\r\n\r\n";
}

QByteArray ScriptedReply::gzipCompress(const QByteArray& data)
{
    // Window bits 15 + 16: a gzip wrapper instead of zlib's.
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray output(int(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = uInt(output.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    deflateEnd(&stream);
    return done ? output.left(int(stream.total_out)) : QByteArray();
}

QByteArray ScriptedReply::zeroBomb(int mebibytes)
{
    // One MiB ended by a full flush is byte-aligned and needs no earlier data, so
    // its compressed form can simply be repeated.
    const QByteArray zeros(1 << 20, '\0');
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray piece(int(deflateBound(&stream, uLong(zeros.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.constData()));
    stream.avail_in = uInt(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(piece.data());
    stream.avail_out = uInt(piece.size());
    deflate(&stream, Z_FULL_FLUSH);
    piece.truncate(int(stream.total_out));
    deflateEnd(&stream);
    return piece.repeated(mebibytes);
}
