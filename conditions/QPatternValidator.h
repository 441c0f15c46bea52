#pragma once

#include <QValidator>

// The validator of a runner-form pattern: a non-empty regular expression in
// the syntax the results view matches it with. A malformed pattern matches
// nothing, so "Match sequence" would find nothing and "Doesn't match
// sequence" everything; it is kept as Intermediate so that the edit shows
// it in error while the user is still typing it.
class QPatternValidator : public QValidator
{
    Q_OBJECT
    Q_DISABLE_COPY(QPatternValidator)

public:
    explicit QPatternValidator(QObject* parent);

    // QRegExp parses nested groups by recursion: a long enough text of
    // brackets overflows the stack. Form patterns are short; a longer text
    // is never compiled.
    static constexpr int MaxPatternLength = 256;

    State validate(QString& input, int& pos) const override;
};
