#pragma once

#include <QString>
#include <QStringList>

// The product's web sites, one per language. An address on them is a
// translatable text that names its site as %1 (English) or %2 (Russian), so
// each translation points at the site of its language:
//
//     ProductSite::Address(tr("%1/version.json"))
//
// Production never changes the values; tests point them at a local server.
struct ProductSite
{
    static QString English;
    static QString Russian;

    // The translated address with %1 and %2 replaced by the sites and %3 to
    // %9 by the values in order, in one pass, so nothing a site or value
    // holds is read as a further marker.
    static QString Address(const QString& translated, const QStringList& values = QStringList());
};
