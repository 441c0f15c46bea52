#pragma once

#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

// Reads a text file line by line in short slices on the event loop, so that
// a file of any size never holds up the interface for more than a moment.
// Lines lose their "\n" or "\r\n"; nothing else is trimmed, and a line end
// at the very end of the file adds no empty line. The text is decoded in the
// system's 8-bit encoding unless it starts with a Unicode byte-order mark.
class LineFileReader : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(LineFileReader)

public:
    explicit LineFileReader(QObject* parent = nullptr);

    // Larger files are no list of values.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // Opens the file and reads it from the next turn of the event loop on;
    // false, with nothing started, when it cannot be opened or is larger
    // than MaxFileSize.
    bool Start(const QString& path);
    // Abandons a running read; neither signal follows.
    void Stop();
    bool IsReading() const { return timer.isActive(); }

signals:
    // The lines in file order, a batch at a time; then Finished() once.
    void LinesRead(const QStringList& lines);
    void Finished();

private:
    void ReadSlice();

    QFile file;
    QTextStream stream;
    QTimer timer;
};
