#pragma once

#include <QLoggingCategory>
#include <QMutex>
#include <QStringList>
#include <QtGlobal>

// Collects every message of Qt's logging, debug traces of every category
// included, while it exists.
class MessageCapture
{
public:
    MessageCapture()
    {
        {
            QMutexLocker locker(&mutex);
            store.clear();
        }
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=true"));
        previous = qInstallMessageHandler(capture);
    }

    ~MessageCapture()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
    }

    QStringList messages() const
    {
        QMutexLocker locker(&mutex);
        return store;
    }

private:
    Q_DISABLE_COPY(MessageCapture)

    static void capture(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        QMutexLocker locker(&mutex);
        store.append(message);
    }

    static inline QStringList store;
    static inline QMutex mutex;
    QtMessageHandler previous = nullptr;
};
