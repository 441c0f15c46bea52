#pragma once

#include "QBetFair.h"
#include "QMarkedRequest.h"

#include <QJsonObject>
#include <QString>
#include <QVariant>

// One exchange operation. It ends with Done(error), an empty text meaning
// success, and then deletes itself; callers never delete it.
//
// Rules for subclasses (the throttle and the receivers' message boxes run
// nested event loops, so a worker's slots re-enter each other):
//  - open `const Guard guard(this);` first in every slot of yours, request
//    and finished slots alike; the worker is never deleted while one is open;
//  - then return at once when IsEnded() (in finished slots AcceptReply does
//    this, and ends the worker on a failed request), and check it again
//    after anything that may re-enter: a data signal, Info, CreateRequest;
//  - CreateRequest returns null once the worker has ended (also when it ends
//    while waiting in the throttle): stop there, send nothing further;
//  - end with Done(text) once; after it emit no further data signal.
// A worker started for an owner that may go away first (a widget, another
// worker) is tied to it with EndWith, so it is still ended and released once.
class QActionWorker : public QBetFair
{
    Q_OBJECT
    Q_DISABLE_COPY(QActionWorker)

public:
    // Marks the worker as running its own code for its lifetime.
    class Guard
    {
        Q_DISABLE_COPY(Guard)

    public:
        explicit Guard(QActionWorker* worker);
        ~Guard();

    private:
        QActionWorker* const worker;
    };

    explicit QActionWorker(QObject* parent = nullptr);

    // True from the first Done on.
    bool IsEnded() const override;

    // As QBetFair::CreateRequest, with the worker guarded during the
    // throttle's wait; null once the worker has ended.
    QBetFairRequest* CreateRequest(
        const QString& url, const QString& key, const QString& contentType, const QVariant& something);

    // The same with the application key and the content type of JSON, as
    // the betting, account and keep-alive calls are made.
    QBetFairRequest* CreateJsonRequest(const QString& url, const QVariant& something = QVariant());

    // Cancel() aborts request while it runs.
    void AbortOnCancel(QBetFairRequest* request);

    // A JSON request to the betting endpoint of a jurisdiction ("api",
    // "api-au") that Cancel() aborts while it runs.
    QBetFairRequest* CreateCancellableBettingRequest(
        const QString& prefix, const QVariant& something = QVariant());

    // When owner is destroyed, the worker's signals to it are cut first (its
    // slots must not run in an object half destroyed), then the worker ends
    // as Cancel() makes it end, and deletes itself as usual.
    void EndWith(QObject* owner);

signals:
    void Done(const QString& error = QString());
    void Info(const QString& str);
    void DoCancel();

public slots:
    // Aborts the requests connected to DoCancel and ends with "Cancelled".
    void Cancel();

protected:
    enum class Lifetime {
        // Ends at its first Done and deletes itself.
        SelfDeleting,
        // Done only reports; the object keeps working and is never deleted here.
        Persistent,
    };

    QActionWorker(QObject* parent, Lifetime lifetime);

    // For a finished slot, after its Guard: false when the slot must return
    // at once, because the worker has ended or the request failed; a failure
    // ends the worker with the request's error text.
    bool AcceptReply(QMarkedRequest::QRequestResult result, const QString& error);

    // Ends the worker as Done does, for a subclass whose final signal
    // carries data instead of a text; connect it to that signal first.
    void end();

private:
    void leave();
    void deleteWhenUnwound();

    int depth = 0;
    bool ended = false;
    bool deletionPosted = false;
};
