#include "QActionWorker.h"

#include "QBetFairRequest.h"

QActionWorker::Guard::Guard(QActionWorker* worker)
    : worker(worker)
{
    ++worker->depth;
}

QActionWorker::Guard::~Guard()
{
    worker->leave();
}

QActionWorker::QActionWorker(QObject* parent)
    : QActionWorker(parent, Lifetime::SelfDeleting)
{
}

QActionWorker::QActionWorker(QObject* parent, Lifetime lifetime)
    : QBetFair(parent)
{
    // Connected first, so the worker counts as ended before any receiver
    // of the same Done runs.
    if (lifetime == Lifetime::SelfDeleting)
        connect(this, &QActionWorker::Done, this, &QActionWorker::end);
}

bool QActionWorker::IsEnded() const
{
    return ended;
}

QBetFairRequest* QActionWorker::CreateRequest(
    const QString& url, const QString& key, const QString& contentType, const QVariant& something)
{
    const Guard guard(this);
    return QBetFair::CreateRequest(url, key, contentType, something);
}

QBetFairRequest* QActionWorker::CreateJsonRequest(const QString& url, const QVariant& something)
{
    return CreateRequest(url, AppKey, QStringLiteral("application/json"), something);
}

QBetFairRequest* QActionWorker::CreateCancellableBettingRequest(
    const QString& prefix, const QVariant& something)
{
    QBetFairRequest* request = CreateJsonRequest(BettingUrl.arg(prefix), something);
    if (request)
        AbortOnCancel(request);
    return request;
}

void QActionWorker::AbortOnCancel(QBetFairRequest* request)
{
    connect(this, &QActionWorker::DoCancel, request, &QBetFairRequest::Canceled);
}

void QActionWorker::EndWith(QObject* owner)
{
    connect(owner, &QObject::destroyed, this, [this, owner] {
        disconnect(owner);
        Cancel();
    });
}

bool QActionWorker::AcceptReply(QMarkedRequest::QRequestResult result, const QString& error)
{
    if (ended)
        return false;
    if (result == QMarkedRequest::Success)
        return true;
    emit Done(error);
    return false;
}

void QActionWorker::Cancel()
{
    const Guard guard(this);
    if (ended)
        return;
    emit DoCancel();
    // An aborted request may already have ended the worker.
    if (!ended)
        emit Done(tr("Cancelled"));
}

void QActionWorker::end()
{
    ended = true;
    WakeThrottle();
    deleteWhenUnwound();
}

void QActionWorker::leave()
{
    --depth;
    deleteWhenUnwound();
}

void QActionWorker::deleteWhenUnwound()
{
    // Posted only once the outermost of the worker's own calls has returned:
    // a nested event loop (the throttle, a receiver's message box) would
    // otherwise delete the worker under its own feet.
    if (depth == 0 && ended && !deletionPosted) {
        deletionPosted = true;
        deleteLater();
    }
}
