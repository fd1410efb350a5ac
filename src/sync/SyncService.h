#pragma once

#include "Merge.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

namespace tessary {
class AppStore;
}

namespace tessary::sync {

// Shares the store's archive and task list with the user's other computers through a folder their
// sync tool (Syncthing, Nextcloud, a network share) keeps alike: this computer writes only
// "<folder>/Tessary/devices/<its id>.json", after every change; it reads every computer's file at
// start, when the folder changes and on a slow rescan, and merges them into the store.
class SyncService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled NOTIFY changed)
    Q_PROPERTY(QString folder READ folder NOTIFY changed)
    Q_PROPERTY(QString deviceName READ deviceName NOTIFY changed)
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed)
    Q_PROPERTY(bool healthy READ healthy NOTIFY changed)

public:
    explicit SyncService(AppStore &store, QObject *parent = nullptr);

    bool enabled() const;
    QString folder() const;
    // The name other computers show for this one: the one set, else the host name.
    QString deviceName() const;
    QString statusText() const;
    bool healthy() const { return m_problem.isEmpty(); }
    int deviceCount() const { return m_deviceCount; }

    Q_INVOKABLE void setEnabled(bool on);
    // A path or a file: URL; an empty one switches sync off.
    Q_INVOKABLE void setFolder(const QString &pathOrUrl);
    Q_INVOKABLE void setDeviceName(const QString &name);

    // Writes this computer's file and reads and merges every file now.
    void syncNow();
    // "<folder>/Tessary/devices".
    QString devicesDirectory() const;

signals:
    void changed();

private:
    void start();
    void stop();
    SyncState state() const;
    void saveState(const SyncState &state);
    // Gives rounds recorded here without an origin theirs, for the next write.
    void adoptNewRounds();
    // Counts the other computers' rounds the store holds as seen, for the next clear-all.
    void noteHeldRounds();
    void writeOwnFile();
    void readAndMerge();
    void scheduleRead();
    void rescan();
    void onSessionsChanged();
    void onTaskNamesMaybeChanged();
    void onSessionRemoved(const Uuid &id);
    void onSessionEdited(const Uuid &id);
    void onHistoryCleared();
    DeviceFile ownFile() const;
    void setProblem(const QString &problem);
    std::int64_t nextClock(SyncState &s) const;

    AppStore &m_store;
    QFileSystemWatcher m_watcher;
    QTimer m_readSoon;
    QTimer m_writeSoon; // coalesces the changes of one turn of the event loop into one write
    QTimer m_rescan;
    bool m_applying = false;
    QStringList m_lastTaskNames;
    // The highest sequence of each other computer seen: in its file, or in a round of it held here.
    QHash<Uuid, std::int64_t> m_seenSequences;
    QHash<Uuid, QString> m_deviceNames;
    QString m_filesSignature; // names, sizes and times of the files: the cheap rescan's test
    QString m_ownSignature;   // of our file as we last wrote it
    // What the last merge read and gave: the same again means nothing to do.
    QString m_lastContentKey;
    QList<StudySession> m_lastMergedSessions; // shares the store's list, costs nothing
    std::optional<SyncState> m_lastMergedState;
    int m_quietRescans = 0;
    int m_deviceCount = 0;
    QDateTime m_lastMerge;
    QString m_problem;
    QString m_notice;
    QHash<QString, QString> m_skipped;
 // file → the signature it was skipped at, so it is logged once
};

} // namespace tessary::sync
