#pragma once

#include <QDateTime>
#include <QTreeWidget>

class QAction;

// The program log panel: one time-stamped record per line, oldest at the top.
//
// The first panel constructed registers itself as the process-wide log
// (Instance()). Code that may run before the main window's form has built
// the panel logs through Write(): records written while no panel is
// registered are kept and added, with their own moments, when one registers.
//
// The dynamic properties "warnings" and "errors" (int) count warning and
// error records; the main window resets them when the user looks at the log.
class QLog : public QTreeWidget
{
    Q_OBJECT

public:
    // Scoped so the values can share their names with the adding slots.
    enum class QLogType { Info = 0, Warning = 1, Error = 2 };
    Q_ENUM(QLogType)

    explicit QLog(QWidget* parent = nullptr);
    ~QLog() override;

    // The registered panel, or nullptr before the main window's form builds
    // it and after it is destroyed.
    static QLog* Instance();
    // Adds a record to the registered panel, or keeps it until one registers.
    static void Write(QLogType type, const QString& text);

    // Owned by the panel; the main window binds its log buttons to them.
    QAction* selectAllAction = nullptr;
    QAction* exportAction = nullptr;
    QAction* clearAction = nullptr;
    QAction* copyAction = nullptr;

signals:
    void Logged(QLog::QLogType t, const QString& s);

public slots:
    void LanguageChanged();
    void Info(const QString& str);
    void Warning(const QString& str);
    void Error(const QString& str);
    void SelectNone();
    void Export();
    void Copy();
    void UpdateExportAction();
    void Clear();

private:
    void Add(QLogType type, const QString& text);
    void Add(QLogType type, const QString& text, const QDateTime& moment);
    void RaiseCount(const char* property);

    Q_DISABLE_COPY(QLog)
};
