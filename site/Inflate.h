#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Inflates what came from outside within a size the program sets, never one
// the data declares: a few kilobytes of deflate can stand for gigabytes.
namespace Inflate {

// zlib's window bits: a bare deflate stream (zip entries), or a gzip or zlib
// stream told apart by its header (HTTP bodies).
constexpr int RawDeflate = -15;
constexpr int GzipOrZlib = 15 + 32;

// The whole stream inflated; nothing when it is damaged, ends early or
// inflates to more than maxSize bytes. At most maxSize + 1 bytes are ever
// held, however the stream goes on.
std::optional<QByteArray> Bounded(const QByteArray& compressed, int windowBits, qint64 maxSize);

} // namespace Inflate
