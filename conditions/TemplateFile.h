#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class QByteArray;
class QJsonValue;

// Search templates on disk: one JSON file per template in the templates
// folder, {"conditions": [row records...]}, with the optional keys
// "readOnly" (bool) and "name" (display names by language key) in files
// made elsewhere. Plain functions, so that the rules can be checked without
// a panel.
namespace TemplateFile {

// The extension of template files, without the dot.
inline constexpr char Extension[] = "twt";

// The templates folder: the data folder with "templates/" appended directly.
QString Folder();

// What a typed template name becomes as a file's base name: characters that
// file names cannot hold become "_", leading dots go (they would hide the
// file from the list), "__" becomes "_", and nothing at all becomes "blank".
QString SanitizedName(const QString& typed);

// The file of a template: a full path as it is; otherwise a file of folder
// (absolute, no trailing separator) named after name, which keeps a typed
// ".twt" instead of doubling it. With sanitize set, name is a typed name and
// is sanitised first.
QString FileName(const QString& folder, const QString& name, bool sanitize);

// The file behind a list entry, whose base name comes from the folder
// listing and is used as it is.
QString PathOf(const QString& folder, const QString& baseName);

// The display name from a file's "name" object: the interface language's
// entry, else the English one, else fallback.
QString LocalizedName(const QJsonObject& names, const QString& fallback);

// Larger files, or more conditions, are no template: each row is a whole
// widget, and a hostile file must not hang the program.
inline constexpr qint64 MaxFileSize = 1024 * 1024;
inline constexpr int MaxConditions = 500;

// Why a file of fileSize bytes holding that many conditions could not be read
// back as a template; empty when it could.
QString SizeError(qint64 fileSize, int conditions);

struct Content
{
    QJsonArray conditions;
    bool readOnly = false;
    QJsonObject names;
};

// Reads a template file's bytes. Empty (or blank) bytes are a template
// without rows. False, with the reason in error, for text that is not a
// JSON object or holds more than MaxConditions conditions.
bool Parse(const QByteArray& bytes, Content& content, QString& error);

// Reads and parses the file at path; false with the reason in error when it
// cannot be read or does not parse.
bool Read(const QString& path, Content& content, QString& error);

// How a value edit's text is stored: a number when it reads as one, else the
// text itself, so that what was typed comes back as it was.
QJsonValue NumberValue(const QString& text);

// The text a stored value gives back to its edit: numbers in plain decimal
// form (1000000, not 1e+06), strings as they are, true and false as words,
// anything else as the empty text.
QString ValueText(const QJsonValue& value);

} // namespace TemplateFile
