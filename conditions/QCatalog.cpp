#include "QCatalog.h"

#include "QLog.h"
#include "QSportsCatalog.h"
#include "SiteDownload.h"
#include "WriteAll.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

QCatalog* QCatalog::countries = nullptr;
QSportsCatalog* QCatalog::sports = nullptr;
QCatalog* QCatalog::marketTypes = nullptr;
QCatalog* QCatalog::sexTypes = nullptr;
QString QCatalog::catalogsPath;

namespace {

const QLatin1String codeKey("code");

QJsonObject sexType(const char* code, const char* english, const char* russian)
{
    return QJsonObject { { codeKey, QString::fromLatin1(code) },
        { QLatin1String("en"), QString::fromUtf8(english) },
        { QLatin1String("ru"), QString::fromUtf8(russian) }, { QLatin1String("fav"), true } };
}

// The values of the exchange's runner metadata "SEX_TYPE".
QJsonArray builtInSexTypes()
{
    return QJsonArray { sexType("g", "Gelding", "Мерин"), sexType("f", "Filly", "Молодая кобыла"),
        sexType("c", "Colt", "Жеребец") };
}

QString codeOf(const QJsonValue& item)
{
    return item.toObject().value(codeKey).toString();
}

// The items of a catalog document that carry a code, or nothing when it is
// not a catalog. Items without one would all share the code "", and an
// empty list counts as no catalog: every list value over it would be
// unusable.
bool parseCatalogItems(const QByteArray& document, QJsonArray* items)
{
    QJsonArray coded;
    for (const QJsonValue& item : QJsonDocument::fromJson(document).object().value(QLatin1String("data")).toArray()) {
        if (!codeOf(item).isEmpty())
            coded.append(item);
    }
    if (coded.isEmpty())
        return false;
    *items = coded;
    return true;
}

bool readCatalogItems(const QString& path, QJsonArray* items)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) && parseCatalogItems(file.readAll(), items);
}

} // namespace

QCatalog::QCatalog(QObject* parent)
    : QObject(parent)
{
}

void QCatalog::Init(const QString& path)
{
    catalogsPath = path;
    if (!countries)
        countries = new QCatalog;
    if (!marketTypes)
        marketTypes = new QCatalog;
    if (!sexTypes) {
        sexTypes = new QCatalog;
        sexTypes->data = builtInSexTypes();
    }
    if (!sports)
        sports = new QSportsCatalog;
    countries->Load(QStringLiteral("countries"), true);
    sports->Load(QStringLiteral("sports"), true);
    marketTypes->Load(QStringLiteral("marketTypes"), false);
}

void QCatalog::Load(const QString& catalogName, bool sortedByName)
{
    sorted = sortedByName;
    name = catalogName;
    data = QJsonArray();
    if (!catalogsPath.isEmpty()) {
        const QString filePath = FilePath();
        if (QFileInfo::exists(filePath)) {
            if (readCatalogItems(filePath, &data))
                return;
            // A damaged download must not leave the user without choices.
            QLog::Write(QLog::QLogType::Warning,
                tr("Catalog file '%1' is unusable; the built-in catalog is used instead.")
                    .arg(QDir::toNativeSeparators(filePath)));
        }
    }
    readCatalogItems(QStringLiteral(":/icons/%1.json").arg(name), &data);
}

QString QCatalog::Name(const QString& code, bool translated) const
{
    const QString key = translated ? LanguageKey() : QStringLiteral("en");
    for (const QJsonValue item : data) {
        if (codeOf(item) == code)
            return item.toObject().value(key).toString();
    }
    return code;
}

QString QCatalog::Names(const QStringList& codes) const
{
    const QString key = LanguageKey();
    QStringList names;
    for (const QJsonValue item : data) {
        if (codes.contains(codeOf(item)))
            names.append(item.toObject().value(key).toString());
    }
    return names.join(QLatin1Char(','));
}

QStringList QCatalog::Codes(const QStringList& codes, bool exclude) const
{
    QStringList result;
    for (const QJsonValue item : data) {
        const QString code = codeOf(item);
        if (codes.contains(code) != exclude)
            result.append(code);
    }
    return result;
}

void QCatalog::UpdateFromInternet()
{
    // The built-in catalog has no file, and none is known before Init().
    if (name.isEmpty() || catalogsPath.isEmpty())
        return;
    //: %1 is the English web site, %2 the Russian one: each language names its own.
    //: %3/%4/%5 are the program's version numbers and %6 the catalog's name.
    const QUrl address = SiteDownload::Address(tr("%1/download/%3/%4/%5/catalogs/%6.json"), name);
    if (SiteDownload::Start(address, this, &QCatalog::Updated))
        QLog::Write(QLog::QLogType::Info, tr("Updating catalog '%1'...").arg(name));
}

void QCatalog::Updated(QNetworkReply* reply)
{
    QByteArray body;
    if (!SiteDownload::Received(reply, &body))
        return;
    // An error page or a cut-off file would replace a working catalog with
    // the built-in one at the next start.
    QJsonArray items;
    if (!parseCatalogItems(body, &items)) {
        QLog::Write(QLog::QLogType::Error,
            tr("The downloaded catalog '%1' is not a catalog; the file is left as it was.").arg(name));
        return;
    }
    QString error;
    if (!SaveWholeFile(FilePath(), body, error)) {
        QLog::Write(QLog::QLogType::Error, tr("Unable to save %1 file: %2").arg(name, error));
        return;
    }
    QLog::Write(QLog::QLogType::Info, tr("Catalog '%1' updated.").arg(name));
}

QString QCatalog::FilePath() const
{
    return QStringLiteral("%1/%2.json").arg(catalogsPath, name);
}

QString QCatalog::LanguageKey()
{
    return tr("en");
}
