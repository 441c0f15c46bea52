#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QPair>

// What the local test server answers to one request, e.g.
// ScriptedReply::json(doc).gzipped().held(). The modifiers return copies.
struct ScriptedReply
{
    int status = 200;
    // Sent before the headers the server adds itself.
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool gzip = false; // compressed, with "Content-Encoding: gzip"
    bool chunked = false; // "Transfer-Encoding: chunked", in several chunks
    bool hold = false; // kept back until HttpTestServer::release()
    int delayMs = 0; // sent this long after the request came, as a distant server answers

    static ScriptedReply json(const QJsonDocument& document, int status = 200);
    // {"jsonrpc": "2.0", "result": result, "id": 1}
    static ScriptedReply rpcResult(const QJsonValue& result);
    static ScriptedReply text(
        const QByteArray& body, const QByteArray& contentType = "text/plain", int status = 200);
    // A plain-text page for an error status.
    static ScriptedReply error(int status);

    ScriptedReply withHeader(const QByteArray& name, const QByteArray& value) const
    {
        ScriptedReply copy = *this;
        copy.headers.append({ name, value });
        return copy;
    }
    ScriptedReply gzipped() const { return with(&ScriptedReply::gzip); }
    ScriptedReply inChunks() const { return with(&ScriptedReply::chunked); }
    ScriptedReply held() const { return with(&ScriptedReply::hold); }
    ScriptedReply delayed(int ms) const
    {
        ScriptedReply copy = *this;
        copy.delayMs = ms;
        return copy;
    }

    // The whole HTTP/1.1 response; closing: the connection ends after it.
    QByteArray toWire(bool closing) const;
    // A complete gzip member holding data.
    static QByteArray gzipCompress(const QByteArray& data);
    // A bare deflate stream, never finished, that stands for `mebibytes` MiB of zeros
    // in about a thousandth of that.
    static QByteArray zeroBomb(int mebibytes);

private:
    ScriptedReply with(bool ScriptedReply::*flag) const
    {
        ScriptedReply copy = *this;
        copy.*flag = true;
        return copy;
    }
};

Q_DECLARE_METATYPE(ScriptedReply)
