#pragma once

#include "Appcast.h"
#include "engine/Services.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

#include <QNetworkReply>

// Update checking: a small appcast reader in place of an update framework.
//
// A build with a feed address (HTTPS) checks once a day when the automatic check is
// on, and whenever the user asks. An update found is offered in our own dialog
// ("下载" opens the release in the browser; nothing is downloaded or installed here),
// except that a scheduled check that finds one while a round is running only
// remembers it as `deferredVersion`, which the sidebar offers after the round.
// A version the user skipped is never offered by a scheduled check again.
//
// The automatic-check switch, the last check time and the skipped version live in
// the updater's own settings file, not in the data document. Main thread only.
namespace tessary::updates {

struct UpdaterConfig {
    QString version;              // the project version ("0.1.0"); empty: "开发版"
    QUrl feed;                    // empty (or not HTTPS): update checking unavailable
    QString settingsPath;         // the updater's own INI file
    bool allowLoopbackHttp = false; // tests serve their feeds over plain HTTP on 127.0.0.1
    int timeoutMs = 30000;
    qint64 maxBytes = 1 << 20;
};

class AppUpdater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isAvailable READ isAvailable CONSTANT)
    Q_PROPERTY(QString currentVersion READ currentVersion CONSTANT)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE setAutomaticallyChecksForUpdates
                   NOTIFY automaticallyChecksForUpdatesChanged)
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    Q_PROPERTY(QString deferredVersion READ deferredVersion NOTIFY deferredVersionChanged)
    Q_PROPERTY(bool hasOffer READ hasOffer NOTIFY offerChanged)
    Q_PROPERTY(QString offeredVersion READ offeredVersion NOTIFY offerChanged)
    Q_PROPERTY(QString offeredNotes READ offeredNotes NOTIFY offerChanged)

public:
    // `isBusy` answers whether a round is running. `clock` must outlive the updater.
    AppUpdater(UpdaterConfig config, Clock &clock, std::function<bool()> isBusy, QObject *parent = nullptr);
    ~AppUpdater() override;

    // What a build was configured with: TESSARY_UPDATE_FEED_URL, the project version,
    // and the settings file under the XDG config directory.
    static UpdaterConfig buildConfig(const QString &version, const QString &feed);

    bool isAvailable() const { return m_available; }
    QString currentVersion() const;
    bool automaticallyChecksForUpdates() const { return m_automatic; }
    // Written to the settings file only when it really changes.
    void setAutomaticallyChecksForUpdates(bool on);
    bool canCheckForUpdates() const { return m_available && !m_reply; }
    QString deferredVersion() const { return m_deferred; }
    bool hasOffer() const { return m_offer.has_value(); }
    QString offeredVersion() const { return m_offer ? m_offer->version : QString(); }
    QString offeredNotes() const { return m_offer ? m_offer->description : QString(); }

    // A check the user asked for: offers what is newer (even a skipped version), or
    // says "已是最新版本" / "检查更新失败：…" through `checkFinished`. Clears the deferred notice.
    Q_INVOKABLE void checkForUpdates();
    // What the daily schedule runs; silent unless it finds something new.
    void runScheduledCheck();
    // Whether a scheduled check is due (automatic checks on, a day since the last).
    bool scheduledCheckDue() const;

    // The offer dialog's three answers.
    Q_INVOKABLE void download();
    Q_INVOKABLE void remindLater();
    Q_INVOKABLE void skipThisVersion();

signals:
    void automaticallyChecksForUpdatesChanged();
    void canCheckForUpdatesChanged();
    void deferredVersionChanged();
    void offerChanged();
    // The outcome of a user-initiated check when there is nothing to offer.
    void checkFinished(const QString &message);

private:
    void start(bool userInitiated);
    void finished(bool userInitiated);
    void fail(bool userInitiated, const QString &reason);
    bool allowed(const QUrl &url) const;
    void setDeferred(const QString &version);
    void setOffer(std::optional<AppcastItem> item);

    UpdaterConfig m_config;
    Clock &m_clock;
    std::function<bool()> m_isBusy;
    bool m_available = false;
    bool m_automatic = true;
    std::unique_ptr<QSettings> m_settings;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QString m_abortReason;
    QString m_deferred;
    std::optional<AppcastItem> m_offer;
    QTimer m_schedule;
};

} // namespace tessary::updates
