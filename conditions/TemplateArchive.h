#pragma once

#include "TemplateFile.h"

#include <QCoreApplication>
#include <QString>

class QByteArray;

// The archive of predefined templates that the product site offers, unpacked
// into the templates folder.
//
// The archive's paths are never trusted: only regular files whose path stays
// inside the folder, ends in ".twt" and that hold a template are written,
// each whole or not at all (no entry is extracted as such, so a symbolic
// link in the archive leads nowhere). A predefined template already there
// (read-only, or unreadable) is replaced; a user's own template of the same
// name is kept. An entry is read within MaxTemplateSize whatever size the
// archive declares, and skipped when its data does not lie inside the
// archive; past MaxContent in all, the rest is left. Every skipped entry and
// every failure goes to the log.
class TemplateArchive
{
    Q_DECLARE_TR_FUNCTIONS(TemplateArchive)

public:
    // More entries than this is not an archive of templates.
    static constexpr int MaxEntries = 1000;
    // Larger entries are not templates.
    static constexpr qint64 MaxTemplateSize = TemplateFile::MaxFileSize;
    // What the entries may unpack to together, so that a damaged or hostile
    // archive within the download cap cannot fill the disk.
    static constexpr qint64 MaxContent = 16 * MaxTemplateSize;

    struct Result
    {
        // Template files written.
        int written = 0;
        // The archive held templates and each was written or deliberately kept.
        bool complete = false;
    };

    // folder: the templates folder, absolute, without a trailing separator.
    static Result Install(const QByteArray& zip, const QString& folder);
};
