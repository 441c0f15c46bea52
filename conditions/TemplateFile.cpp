#include "TemplateFile.h"

#include "DataFolder.h"
#include "ReadNumber.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>

namespace TemplateFile {

namespace {

QString DottedExtension()
{
    return QLatin1Char('.') + QLatin1String(Extension);
}

bool IsForbidden(QChar c)
{
    static const QString forbidden = QStringLiteral("<>:/\\|?*\"");
    return c.unicode() < 0x20 || forbidden.contains(c);
}

QString NameIn(const QJsonObject& names, const QString& key)
{
    // A value that is no text (or no text at all) names nothing.
    return names.value(key).toString();
}

} // namespace

QString Folder()
{
    return GetConfigDir() + QStringLiteral("templates/");
}

QString SanitizedName(const QString& typed)
{
    QString name = typed;
    for (QChar& c : name) {
        if (IsForbidden(c))
            c = QLatin1Char('_');
    }
    int dots = 0;
    while (dots < name.size() && name.at(dots) == QLatin1Char('.'))
        ++dots;
    name.remove(0, dots);
    name.replace(QStringLiteral("__"), QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("blank") : name;
}

QString FileName(const QString& folder, const QString& name, bool sanitize)
{
    QString base = sanitize ? SanitizedName(name) : name;
    if (QDir::isAbsolutePath(base))
        return base;
    const QString extension = DottedExtension();
    if (base.size() > extension.size() && base.endsWith(extension, Qt::CaseInsensitive))
        base.chop(extension.size());
    return PathOf(folder, base);
}

QString PathOf(const QString& folder, const QString& baseName)
{
    return folder + QLatin1Char('/') + baseName + DottedExtension();
}

QString LocalizedName(const QJsonObject& names, const QString& fallback)
{
    const QString translated = NameIn(names, QCoreApplication::translate("MyTemplates", "eng"));
    if (!translated.isEmpty())
        return translated;
    const QString english = NameIn(names, QStringLiteral("eng"));
    return english.isEmpty() ? fallback : english;
}

namespace {

QString TooLarge()
{
    return QCoreApplication::translate("MyTemplates", "The template is too large.");
}

} // namespace

QString SizeError(qint64 fileSize, int conditions)
{
    return fileSize > MaxFileSize || conditions > MaxConditions ? TooLarge() : QString();
}

bool Parse(const QByteArray& bytes, Content& content, QString& error)
{
    content = Content();
    if (bytes.trimmed().isEmpty())
        return true;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = parseError.errorString();
        return false;
    }
    if (!document.isObject()) {
        error = QCoreApplication::translate("MyTemplates", "The file holds no template.");
        return false;
    }
    const QJsonObject root = document.object();
    content.conditions = root.value(QLatin1String("conditions")).toArray();
    error = SizeError(0, content.conditions.size());
    if (!error.isEmpty()) {
        content = Content();
        return false;
    }
    content.readOnly = root.value(QLatin1String("readOnly")).toBool(false);
    content.names = root.value(QLatin1String("name")).toObject();
    return true;
}

bool Read(const QString& path, Content& content, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    error = SizeError(file.size(), 0);
    if (!error.isEmpty()) {
        content = Content();
        return false;
    }
    return Parse(file.readAll(), content, error);
}

QJsonValue NumberValue(const QString& text)
{
    bool isNumber = false;
    const double number = ReadNumber(text, &isNumber);
    return isNumber ? QJsonValue(number) : QJsonValue(text);
}

QString ValueText(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        break;
    }
    return QString();
}

} // namespace TemplateFile
