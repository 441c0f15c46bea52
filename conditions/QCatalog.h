#pragma once

#include <QJsonArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QNetworkReply;
class QSportsCatalog;

// A list of codes with a display name per language, in a fixed order. Items
// are JSON objects: "code", one name per language key ("en", "ru"), and the
// optional booleans "fav" and "team".
//
// Four catalogs live for the whole run, made by Init(): countries, sports and
// market types are read from "<name>.json" in the catalogs folder (with a
// built-in default when the file is missing or unusable); the horse sexes
// are built in. Their contents stay fixed once Init() has run.
class QCatalog : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(QCatalog)

public:
    explicit QCatalog(QObject* parent = nullptr);

    // Makes the missing singletons and (re)loads the three file catalogs from
    // the given folder (absolute, without a trailing separator).
    static void Init(const QString& catalogsPath);

    // Reads "<catalogsPath>/<name>.json"; when that file is missing, cannot be
    // read or holds no catalog, the built-in default of that name instead.
    virtual void Load(const QString& name, bool sorted);

    // The name of the first item with this code, in English or in the user
    // interface's language; the code itself when no item has it.
    QString Name(const QString& code, bool translated) const;
    // The user-interface names of the items whose codes are listed, in catalog
    // order, joined with ","; unknown codes are dropped.
    QString Names(const QStringList& codes) const;
    // The catalog's codes that are (exclude false) or are not (exclude true)
    // among codes, in catalog order.
    QStringList Codes(const QStringList& codes, bool exclude) const;

    const QJsonArray& Data() const { return data; }
    bool IsSorted() const { return sorted; }
    QString CatalogName() const { return name; }

    static QCatalog* countries;
    static QSportsCatalog* sports;
    static QCatalog* marketTypes;
    static QCatalog* sexTypes;

public slots:
    // Downloads this catalog's file again from the product site. The new
    // file replaces the old one only when it holds a catalog, and takes
    // effect at the next start. Progress and failures go to the log.
    void UpdateFromInternet();
    void Updated(QNetworkReply* reply);

protected:
    QJsonArray data;
    bool sorted = false;
    QString name;

private:
    QString FilePath() const;
    // The item key of names in the user-interface language.
    static QString LanguageKey();

    static QString catalogsPath;
};
