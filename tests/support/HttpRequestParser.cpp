#include "HttpRequestParser.h"

#include <QList>

namespace {
const int MaxHeaderBytes = 64 * 1024;
}

HttpRequestParser::Outcome HttpRequestParser::parse(
    const QByteArray& buffer, RecordedRequest* request, int* consumed)
{
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return buffer.size() > MaxHeaderBytes ? Outcome::Malformed : Outcome::Incomplete;

    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/1."))
        return Outcome::Malformed;

    RecordedRequest parsed;
    parsed.method = requestLine.at(0);
    parsed.target = requestLine.at(1);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const int colon = line.indexOf(':');
        if (colon <= 0)
            return Outcome::Malformed;
        QByteArray value = line.mid(colon + 1).trimmed();
        if (value.isNull())
            value = QByteArray("");
        parsed.headers.append({ line.left(colon).trimmed(), value });
    }

    const int bodyStart = headerEnd + 4;
    int end = bodyStart;
    // Qt sends every body with a Content-Length; nothing here reads chunks.
    if (parsed.hasHeader("Transfer-Encoding"))
        return Outcome::Malformed;
    if (parsed.hasHeader("Content-Length")) {
        bool ok = false;
        const int length = parsed.header("Content-Length").toInt(&ok);
        if (!ok || length < 0)
            return Outcome::Malformed;
        if (buffer.size() - bodyStart < length)
            return Outcome::Incomplete;
        parsed.body = buffer.mid(bodyStart, length);
        end = bodyStart + length;
    }

    *request = parsed;
    *consumed = end;
    return Outcome::Complete;
}
