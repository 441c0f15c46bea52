#include "QMarkedRequest.h"

#include "QNetwork.h"

#include <QNetworkReply>
#include <QUrl>

QMarkedRequest::QMarkedRequest(const QString& url)
    : QObject(nullptr)
    , QNetworkRequest(QUrl(url, QUrl::TolerantMode))
{
    setOriginatingObject(this);
    setAttribute(QNetworkRequest::HttpPipeliningAllowedAttribute, true);
}

QNetworkReply* QMarkedRequest::Send(QMarkedRequest* request, const QByteArray& body)
{
    QNetwork* network = QNetwork::Shared();
    QNetworkReply* reply = body.isNull() ? network->get(*request) : network->post(*request, body);
    QNetwork::LimitTransfer(reply);
    return reply;
}
