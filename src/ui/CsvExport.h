#pragma once

#include <QObject>
#include <QUrl>

namespace tessary {
class AppStore;
}

namespace tessary::ui {

// The one way the archive leaves as CSV, shared by every export button: ask where
// (the view answers `locationRequested` with a save dialog), write the whole archive
// there atomically, and say how it went in the toast ("CSV 已导出。" or "没有导出文件。").
//
// The question and its answer are the small interface between the two: the
// application answers with a FileDialog, tests call `finish` themselves.
// Main thread only.
class CsvExport : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString suggestedFileName READ suggestedFileName CONSTANT)
    Q_PROPERTY(bool asking READ asking NOTIFY askingChanged)
    // Where the dialog starts: the documents folder (or home) and the suggested name in it.
    Q_PROPERTY(QUrl suggestedFolder READ suggestedFolder CONSTANT)
    Q_PROPERTY(QUrl suggestedLocation READ suggestedLocation CONSTANT)

public:
    explicit CsvExport(AppStore *store, QObject *parent = nullptr);

    static QString suggestedFileName() { return QStringLiteral("汀禾-专注记录.csv"); }
    bool asking() const { return m_asking; }
    static QUrl suggestedFolder();
    static QUrl suggestedLocation();

    // Starts an export: emits `locationRequested` unless a question is already open.
    Q_INVOKABLE void begin();
    // The answer: a local file to write, or an empty URL when the user cancelled.
    // Returns whether a file was written; the toast says the same.
    Q_INVOKABLE bool finish(const QUrl &destination);

signals:
    void locationRequested(const QString &suggestedFileName);
    void askingChanged();

private:
    void setAsking(bool asking);

    AppStore *m_store;
    bool m_asking = false;
};

} // namespace tessary::ui
