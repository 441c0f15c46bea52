#include "ScriptedReply.h"

#include <QJsonObject>

#include <zlib.h>

ScriptedReply ScriptedReply::json(const QJsonDocument& document, int status)
{
    return text(document.toJson(QJsonDocument::Compact), "application/json", status);
}

ScriptedReply ScriptedReply::rpcResult(const QJsonValue& result)
{
    const QJsonObject reply { { QStringLiteral("jsonrpc"), QStringLiteral("2.0") },
        { QStringLiteral("result"), result }, { QStringLiteral("id"), 1 } };
    return json(QJsonDocument(reply));
}

ScriptedReply ScriptedReply::text(const QByteArray& body, const QByteArray& contentType, int status)
{
    ScriptedReply reply;
    reply.status = status;
    reply.body = body;
    reply.headers.append({ "Content-Type", contentType });
    return reply;
}

ScriptedReply ScriptedReply::error(int status)
{
    return text(QByteArray::number(status) + ' ' + reasonPhrase(status), "text/plain", status);
}

ScriptedReply ScriptedReply::closed()
{
    ScriptedReply reply;
    reply.closeWithoutAnswer = true;
    return reply;
}

ScriptedReply ScriptedReply::withHeader(const QByteArray& name, const QByteArray& value) const
{
    ScriptedReply copy = *this;
    copy.headers.append({ name, value });
    return copy;
}

ScriptedReply ScriptedReply::gzipped() const
{
    ScriptedReply copy = *this;
    copy.gzip = true;
    return copy;
}

ScriptedReply ScriptedReply::inChunks() const
{
    ScriptedReply copy = *this;
    copy.chunked = true;
    return copy;
}

ScriptedReply ScriptedReply::held() const
{
    ScriptedReply copy = *this;
    copy.hold = true;
    return copy;
}

ScriptedReply ScriptedReply::delayed(int milliseconds) const
{
    ScriptedReply copy = *this;
    copy.delayMs = milliseconds;
    return copy;
}

QByteArray ScriptedReply::toWire(bool closing) const
{
    const QByteArray payload = gzip ? gzipCompress(body) : body;
    QByteArray wire = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    for (const auto& header : headers)
        wire += header.first + ": " + header.second + "\r\n";
    if (gzip)
        wire += "Content-Encoding: gzip\r\n";
    if (chunked)
        wire += "Transfer-Encoding: chunked\r\n";
    else
        wire += "Content-Length: " + QByteArray::number(payload.size()) + "\r\n";
    wire += closing ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    wire += "\r\n";
    if (!chunked)
        return wire + payload;

    // Three chunks at least, so a reader has to join them.
    const int chunkSize = qMax(1, (payload.size() + 2) / 3);
    for (int offset = 0; offset < payload.size(); offset += chunkSize) {
        const QByteArray chunk = payload.mid(offset, chunkSize);
        wire += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
    }
    return wire + "0\r\n\r\n";
}

QByteArray ScriptedReply::gzipCompress(const QByteArray& data)
{
    z_stream stream {};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray input = data;
    QByteArray output(static_cast<int>(deflateBound(&stream, static_cast<uLong>(input.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = static_cast<uInt>(output.size());
    const int status = deflate(&stream, Z_FINISH);
    output.resize(static_cast<int>(stream.total_out));
    deflateEnd(&stream);
    return status == Z_STREAM_END ? output : QByteArray();
}

QByteArray ScriptedReply::reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}
