#include "QCatalog.h"

#include "QLog.h"
#include "QSportsCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>

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

// The items of a catalog file, or nothing when the file cannot be read or is
// not a catalog. An empty list counts as no catalog: every list value over
// it would be unusable.
bool readCatalogItems(const QString& path, QJsonArray* items)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    const QJsonValue array = document.object().value(QLatin1String("data"));
    if (!array.isArray() || array.toArray().isEmpty())
        return false;
    *items = array.toArray();
    return true;
}

QString codeOf(const QJsonValue& item)
{
    return item.toObject().value(codeKey).toString();
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
        const QString filePath = QStringLiteral("%1/%2.json").arg(catalogsPath, name);
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
    // Catalog downloads are not built yet: the files on disk stay as they are.
    qInfo("Catalog download is not available yet; '%s' is left unchanged.", qPrintable(name));
}

void QCatalog::Updated(QNetworkReply* reply)
{
    // Nothing is saved until downloads exist; the reply is still released.
    if (reply)
        reply->deleteLater();
}

QString QCatalog::LanguageKey()
{
    return tr("en");
}
