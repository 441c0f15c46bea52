#include "HttpTestServer.h"
#include "QBetFair.h"
#include "QBetFairRequest.h"
#include "RequestOutcome.h"

#include <QTimer>
#include <QtTest>

#include <array>

class tst_Throttle : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fourthRequestWaitsForOneOfThree();
    void otherSendersAreNotHeldBack();
    void isIdleOnlyInTheSlotOfTheLastReply();

private:
    QBetFairRequest* create(QBetFair& sender, int tag);
    int totalCalls() const;

    HttpTestServer server;
    std::array<RequestOutcome, 5> outcomes;
};

void tst_Throttle::init()
{
    server.setReply("GET", QStringLiteral("/held"), ScriptedReply::text("{}").held());
    for (RequestOutcome& outcome : outcomes)
        outcome.calls = 0;
}

void tst_Throttle::cleanup()
{
    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
}

QBetFairRequest* tst_Throttle::create(QBetFair& sender, int tag)
{
    QBetFairRequest* request = sender.CreateRequest(
        server.url(QStringLiteral("/held")), QString(), QStringLiteral("application/json"), tag);
    outcomes[tag].watch(request);
    return request;
}

int tst_Throttle::totalCalls() const
{
    int calls = 0;
    for (const RequestOutcome& outcome : outcomes)
        calls += outcome.calls;
    return calls;
}

void tst_Throttle::fourthRequestWaitsForOneOfThree()
{
    QBetFair sender;
    for (int i = 0; i < 3; ++i)
        create(sender, i)->Send(QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 3, Patience);

    bool fourthReturned = false;
    bool releasedWhileWaiting = false;
    QTimer::singleShot(0, this, [&] {
        releasedWhileWaiting = !fourthReturned;
        server.release(1);
    });
    QBetFairRequest* fourth = create(sender, 3);
    fourthReturned = true;

    QVERIFY(releasedWhileWaiting);
    QCOMPARE(totalCalls(), 1);
    QCOMPARE(outcomes[0].calls, 1);

    fourth->Send(QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 3, Patience);
    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(totalCalls(), 4, Patience);
    QVERIFY(sender.IsIdle());
}

void tst_Throttle::otherSendersAreNotHeldBack()
{
    QBetFair busy;
    QBetFair other;
    for (int i = 0; i < 3; ++i)
        create(busy, i)->Send(QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 3, Patience);

    // Any wait would pump events and run this timer.
    bool eventsRan = false;
    QTimer::singleShot(0, this, [&] { eventsRan = true; });
    QBetFairRequest* request = create(other, 3);
    QVERIFY(!eventsRan);
    QVERIFY(!other.IsIdle());

    request->Send(QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 4, Patience);
    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(totalCalls(), 4, Patience);
    QVERIFY(busy.IsIdle());
    QVERIFY(other.IsIdle());
}

void tst_Throttle::isIdleOnlyInTheSlotOfTheLastReply()
{
    QBetFair sender;
    QList<bool> idleInSlot;
    const auto create = [&](int tag) {
        QBetFairRequest* request = this->create(sender, tag);
        connect(request, &QBetFairRequest::finished, this, [&] { idleInSlot.append(sender.IsIdle()); });
        return request;
    };
    QVERIFY(sender.IsIdle());
    for (int i = 0; i < 3; ++i)
        create(i)->Send(QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 3, Patience);

    // The first reply is handled while the fourth request waits its turn.
    QTimer::singleShot(0, this, [&] { server.release(1); });
    QBetFairRequest* fourth = create(3);
    QCOMPARE(idleInSlot, QList<bool>({ false }));

    fourth->Send(QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 3, Patience);
    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(idleInSlot.size(), 4, Patience);
    QCOMPARE(idleInSlot, QList<bool>({ false, false, false, true }));
}

QTEST_GUILESS_MAIN(tst_Throttle)
#include "tst_throttle.moc"
