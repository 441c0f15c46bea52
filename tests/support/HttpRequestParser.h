#pragma once

#include "RecordedRequest.h"

#include <QByteArray>

// Reads HTTP/1.1 requests off the front of a connection's buffer: request
// line, headers, and a body by Content-Length.
class HttpRequestParser
{
public:
    enum class Outcome { Incomplete, Complete, Malformed };

    // On Complete, request holds the request and consumed the number of bytes
    // it took from the front of buffer.
    static Outcome parse(const QByteArray& buffer, RecordedRequest* request, int* consumed);
};
