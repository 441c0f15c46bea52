#include "TemplateArchive.h"

#include "QLog.h"
#include "TemplateFile.h"
#include "WriteAll.h"
#include "ZipArchive.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QLatin1Char separator('/');

// The number the log has always given a failed write under.
constexpr int FileErrorStatus = 4;

// The entry's path below the templates folder, or empty when it could lead
// anywhere else or is no template file's name.
QString relativePath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(separator) || path.contains(QLatin1Char(':'))
        || path.contains(QLatin1Char('\\')))
        return QString();
    const QString cleaned = QDir::cleanPath(path);
    if (cleaned.split(separator).contains(QLatin1String("..")))
        return QString();
    const QString suffix = QLatin1Char('.') + QLatin1String(TemplateFile::Extension);
    if (!cleaned.endsWith(suffix) || cleaned.section(separator, -1) == suffix)
        return QString();
    return cleaned;
}

// Whether path, once its folders exist, lies inside root (canonical): the
// nearest folder of it that exists already must, so that no symbolic link
// on the way leads out.
bool staysInside(const QString& root, const QString& path)
{
    QString existing = QFileInfo(path).absolutePath();
    while (!QFileInfo::exists(existing) && existing != QFileInfo(existing).absolutePath())
        existing = QFileInfo(existing).absolutePath();
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return !canonical.isEmpty() && (canonical == root || canonical.startsWith(root + separator));
}

// An archive entry is a template when it parses as one; an empty file is
// not worth installing.
bool isTemplate(const QByteArray& bytes)
{
    TemplateFile::Content content;
    QString error;
    return !bytes.trimmed().isEmpty() && TemplateFile::Parse(bytes, content, error);
}

// A template file the user made or changed: it reads as a template that is
// not read-only. A predefined file is read-only; one that cannot be read is
// of no use to anyone.
bool isUsersOwn(const QString& path)
{
    TemplateFile::Content content;
    QString error;
    return TemplateFile::Read(path, content, error) && !content.readOnly;
}

} // namespace

TemplateArchive::Result TemplateArchive::Install(const QByteArray& zip, const QString& folder)
{
    const ZipArchive archive(zip);
    const QVector<ZipArchive::Entry>& entries = archive.entries();
    Result result;
    if (entries.isEmpty()) {
        QLog::Write(QLog::QLogType::Error, tr("The templates archive is not a zip file or is empty."));
        return result;
    }
    // Each entry is looked up by name: a huge directory is work without end.
    if (entries.size() > MaxEntries) {
        QLog::Write(QLog::QLogType::Error,
            tr("The templates archive holds %1 entries, more than a templates archive can; nothing was installed.")
                .arg(entries.size()));
        return result;
    }
    QDir().mkpath(folder);
    const QString root = QFileInfo(folder).canonicalFilePath();

    int templates = 0;
    bool failed = false;
    bool tooMuch = false;
    qint64 unpacked = 0;
    for (const ZipArchive::Entry& entry : entries) {
        if (entry.kind == ZipArchive::Kind::Folder)
            continue;
        const QString relative = relativePath(entry.path);
        const QString target = folder + separator + relative;
        // Data that lies outside the archive, is damaged or inflates past
        // the limit, whatever size it declares, is no template either.
        std::optional<QByteArray> bytes;
        if (!relative.isEmpty() && entry.kind == ZipArchive::Kind::File && !root.isEmpty()
            && staysInside(root, target))
            bytes = archive.read(entry, MaxTemplateSize);
        if (bytes && (unpacked += bytes->size()) > MaxContent) {
            QLog::Write(QLog::QLogType::Error,
                tr("The templates archive unpacks to more than %1 MiB; '%2' and the entries after it were not "
                   "installed.")
                    .arg(MaxContent / (1024 * 1024))
                    .arg(entry.path));
            tooMuch = true;
            break;
        }
        if (!bytes || !isTemplate(*bytes) || QFileInfo(target).isSymLink()) {
            QLog::Write(QLog::QLogType::Warning,
                tr("'%1' in the templates archive is not a template file and was skipped.").arg(entry.path));
            continue;
        }
        ++templates;
        if (isUsersOwn(target)) {
            QLog::Write(QLog::QLogType::Warning,
                tr("Your template '%1' was kept; the predefined template of that name was not installed.")
                    .arg(QDir::toNativeSeparators(target)));
            continue;
        }
        QDir().mkpath(QFileInfo(target).absolutePath());
        QString error;
        if (!SaveWholeFile(target, *bytes, error)) {
            QLog::Write(QLog::QLogType::Error,
                tr("Unable to save template file %1: %2").arg(QDir::toNativeSeparators(target), error));
            failed = true;
            continue;
        }
        ++result.written;
    }

    if (tooMuch) {
        // Told above.
    } else if (templates == 0) {
        QLog::Write(QLog::QLogType::Error, tr("The templates archive holds no template; nothing was installed."));
    } else if (failed) {
        QLog::Write(QLog::QLogType::Error, tr("There is a problem with extracting templates zip: %1").arg(FileErrorStatus));
    } else {
        QLog::Write(QLog::QLogType::Info, tr("Predefined templates were updated."));
        result.complete = true;
    }
    return result;
}
