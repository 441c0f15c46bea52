#include "QSearcher.h"

#include "QCipher.h"
#include "QConfirm.h"
#include "SMTPThread.h"
#include "SelectionMail.h"
#include "SettingsStore.h"
#include "TickedSelections.h"

#include <QSettings>

namespace {

QVariant MailOption(const QSettings* store, const char* name)
{
    return store ? store->value(QLatin1String("Options/") + QLatin1String(name)) : QVariant();
}

// Server, port, recipient and sender, tested in this order.
bool MailSettingsComplete(const QSettings* store)
{
    return !MailOption(store, "SMTPserver").toString().isEmpty() && MailOption(store, "SMTPport").isValid()
        && !MailOption(store, "SMTPto").toString().isEmpty()
        && !MailOption(store, "SMTPfrom").toString().isEmpty();
}

} // namespace

void QSearcher::Mail(const QString& subject)
{
    const QSettings* store = SettingsStore();
    if (!MailSettingsComplete(store)) {
        emit emailNeeded();
        emit ActionDone();
        return;
    }

    int rows = 0;
    const QString table = SelectionMail::Table(TickedSelections(*this), rows);
    if (rows == 0
        || !AskConfirm(QObject::tr("Send the selected %n selection(s) by e-mail?", nullptr, rows))) {
        emit ActionDone();
        return;
    }

    const QString name = QStringLiteral("Tarnwickstone");
    auto* thread = new SMTPThread(MailOption(store, "SMTPserver").toString(),
        MailOption(store, "SMTPport").toInt(), MailOption(store, "SMTPssl").toBool(),
        MailOption(store, "SMTPfrom").toString(), name, MailOption(store, "SMTPto").toString(), QString(),
        subject.isEmpty() ? tr("Tarnwickstone search results") : subject, SelectionMail::Body(table),
        QCipher::DecryptString(MailOption(store, "SMTPusername").toString()),
        QCipher::DecryptString(MailOption(store, "SMTPpassword").toString()), QStringList());
    connect(thread, &SMTPThread::resultReady, this, &QSearcher::MailDone);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::InheritPriority);
}

void QSearcher::MailDone(const QString& error)
{
    if (error == QLatin1String("OK"))
        ShowInfo(tr("Message succesfully sent"));
    else
        ShowError(tr("SMTP ERROR: %1").arg(EscapeForBox(error)), QStringLiteral("SMTP"));
    emit ActionDone();
}
