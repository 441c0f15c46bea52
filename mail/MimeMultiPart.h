#pragma once

#include "MimePart.h"

#include <QList>

// An ordered container of parts between boundary lines. It holds its parts
// without owning them: whoever made them keeps them alive until the text has
// been built.
class MimeMultiPart : public MimePart
{
    Q_OBJECT

public:
    enum MultipartSubtype : qint32 {
        Mixed = 0,
        Digest = 1,
        Alternative = 2,
        Related = 3,
        Report = 4,
        Signed = 5,
        Encrypted = 6
    };
    static const QString MultipartSubtypeNames[7];

    explicit MimeMultiPart(MultipartSubtype subtype = Related);

    void appendPart(MimePart *part);
    const QList<MimePart *> &parts() const;

    void setMultipartSubtype(MultipartSubtype subtype);
    MultipartSubtype multipartSubtype() const;

    // Builds every part again, then the boundary lines around them.
    void buildMime() override;

    // Test seam: when set, boundaries are taken from it instead of being
    // drawn at random. Never set in production.
    using BoundarySource = QString (*)();
    static void setBoundarySource(BoundarySource source);

private:
    static QString newBoundary();

    QList<MimePart *> m_parts;
    MultipartSubtype m_multipartSubtype = Related;
};
