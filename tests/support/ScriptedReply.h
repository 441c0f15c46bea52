#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QPair>

// What the local test server answers to one request. Build one with the
// factories and refine it with the modifiers, each of which returns a copy:
//
//     ScriptedReply::json(doc).gzipped().held()
struct ScriptedReply
{
    int status = 200;
    // Sent before the headers the server adds itself (Content-Length or
    // Transfer-Encoding, Content-Encoding, Connection).
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Compress the body and declare "Content-Encoding: gzip".
    bool gzip = false;
    // Send the body in several chunks with "Transfer-Encoding: chunked".
    bool chunked = false;
    // Keep the answer back until HttpTestServer::release() lets it go.
    bool hold = false;
    // Close the connection instead of answering.
    bool closeWithoutAnswer = false;

    static ScriptedReply json(const QJsonDocument& document, int status = 200);
    // A JSON-RPC 2.0 reply {"jsonrpc": "2.0", "result": result, "id": 1}.
    static ScriptedReply rpcResult(const QJsonValue& result);
    static ScriptedReply text(
        const QByteArray& body, const QByteArray& contentType = "text/plain", int status = 200);
    // A plain-text page for an error status, e.g. 404 or 500.
    static ScriptedReply error(int status);
    static ScriptedReply closed() { return ScriptedReply().with(&ScriptedReply::closeWithoutAnswer); }

    ScriptedReply withHeader(const QByteArray& name, const QByteArray& value) const;
    ScriptedReply gzipped() const { return with(&ScriptedReply::gzip); }
    ScriptedReply inChunks() const { return with(&ScriptedReply::chunked); }
    ScriptedReply held() const { return with(&ScriptedReply::hold); }

    // The whole HTTP/1.1 response; closing says whether the connection ends after it.
    QByteArray toWire(bool closing) const;
    // A complete gzip member holding data.
    static QByteArray gzipCompress(const QByteArray& data);

private:
    ScriptedReply with(bool ScriptedReply::*flag) const
    {
        ScriptedReply copy = *this;
        copy.*flag = true;
        return copy;
    }
};

Q_DECLARE_METATYPE(ScriptedReply)
