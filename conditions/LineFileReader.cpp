#include "LineFileReader.h"

#include <QElapsedTimer>
#include <QTextCodec>

namespace {

// A slice ends after this long, so the event loop turns several times a
// second however large the file is.
constexpr qint64 sliceMilliseconds = 20;
constexpr int batchLines = 1024;

} // namespace

LineFileReader::LineFileReader(QObject* parent)
    : QObject(parent)
{
    timer.setInterval(0);
    connect(&timer, &QTimer::timeout, this, &LineFileReader::ReadSlice);
}

bool LineFileReader::Start(const QString& path)
{
    Stop();
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    if (file.size() > MaxFileSize) {
        file.close();
        return false;
    }
    stream.setDevice(&file);
    stream.setCodec(QTextCodec::codecForLocale());
    stream.setAutoDetectUnicode(true);
    timer.start();
    return true;
}

void LineFileReader::Stop()
{
    timer.stop();
    stream.setDevice(nullptr);
    file.close();
}

void LineFileReader::ReadSlice()
{
    QElapsedTimer clock;
    clock.start();
    do {
        QStringList batch;
        batch.reserve(batchLines);
        while (batch.size() < batchLines && !stream.atEnd())
            batch.append(stream.readLine());
        const bool atEnd = stream.atEnd();
        if (!batch.isEmpty())
            emit LinesRead(batch);
        if (!IsReading())
            return; // stopped by a receiver
        if (atEnd) {
            Stop();
            emit Finished();
            return;
        }
    } while (clock.elapsed() < sliceMilliseconds);
}
