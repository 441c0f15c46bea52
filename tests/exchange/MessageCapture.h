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
            QMutexLocker locker(&lock());
            store().clear();
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
        QMutexLocker locker(&lock());
        return store();
    }

private:
    Q_DISABLE_COPY(MessageCapture)

    static void capture(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        QMutexLocker locker(&lock());
        store().append(message);
    }
    static QStringList& store()
    {
        static QStringList messages;
        return messages;
    }
    static QMutex& lock()
    {
        static QMutex mutex;
        return mutex;
    }

    QtMessageHandler previous = nullptr;
};
