#include "AppUpdater.h"

#include <QDesktopServices>
#include <QDir>
#include <QHostAddress>
#include <QNetworkReply>
#include <QStandardPaths>

namespace tessary::updates {

namespace {
const QString kAutomatic = QStringLiteral("automaticallyChecksForUpdates");
const QString kLastCheck = QStringLiteral("lastCheck");
const QString kSkipped = QStringLiteral("skippedVersion");
constexpr qint64 kDayMs = 24LL * 3600 * 1000;
} // namespace

UpdaterConfig AppUpdater::buildConfig(const QString &version, const QString &feed)
{
    UpdaterConfig c;
    c.version = version;
    c.feed = QUrl(feed);
    c.settingsPath = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                         .filePath(QStringLiteral("Tessary/updates.conf"));
    return c;
}

AppUpdater::AppUpdater(UpdaterConfig config, Clock &clock, std::function<bool()> isBusy, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_clock(clock), m_isBusy(std::move(isBusy))
{
    m_available = !m_config.feed.isEmpty() && allowed(m_config.feed);
    if (!m_available)
        return; // no feed: nothing is created, nothing is ever checked
    m_settings = std::make_unique<QSettings>(m_config.settingsPath, QSettings::IniFormat);
    m_automatic = m_settings->value(kAutomatic, true).toBool();
    m_network.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
    // Looked at every hour (and shortly after start); the check itself runs once a day.
    m_schedule.setInterval(3600 * 1000);
    m_schedule.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_schedule, &QTimer::timeout, this, [this] {
        if (scheduledCheckDue())
            runScheduledCheck();
    });
    m_schedule.start();
    QTimer::singleShot(15000, this, [this] {
        if (scheduledCheckDue())
            runScheduledCheck();
    });
}

AppUpdater::~AppUpdater()
{
    if (m_reply) {
        m_reply->disconnect(this); // no answer handled by an updater that is going
        m_reply->abort();
    }
}

QString AppUpdater::currentVersion() const
{
    return m_config.version.isEmpty() ? QStringLiteral("开发版") : QStringLiteral("v") + m_config.version;
}

void AppUpdater::setAutomaticallyChecksForUpdates(bool on)
{
    if (!m_available || on == m_automatic)
        return;
    m_automatic = on;
    m_settings->setValue(kAutomatic, on);
    m_settings->sync();
    emit automaticallyChecksForUpdatesChanged();
}

bool AppUpdater::allowed(const QUrl &url) const
{
    if (!url.isValid())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    return m_config.allowLoopbackHttp && url.scheme() == QLatin1String("http") && QHostAddress(url.host()).isLoopback();
}

bool AppUpdater::scheduledCheckDue() const
{
    if (!m_available || !m_automatic || m_reply)
        return false;
    const qint64 last = m_settings->value(kLastCheck, qint64(0)).toLongLong();
    return m_clock.now().msecsSinceEpoch() - last >= kDayMs;
}

void AppUpdater::checkForUpdates()
{
    setDeferred(QString()); // the user is attending to it now
    start(true);
}

void AppUpdater::runScheduledCheck() { start(false); }

void AppUpdater::start(bool userInitiated)
{
    if (!m_available || m_reply)
        return;
    QNetworkRequest request(m_config.feed);
    request.setTransferTimeout(m_config.timeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tessary/") + m_config.version);
    m_abortReason.clear();
    m_reply = m_network.get(request);
    emit canCheckForUpdatesChanged();
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &to) {
        if (allowed(to)) {
            emit reply->redirectAllowed();
        } else {
            m_abortReason = QStringLiteral("更新地址被转到了不安全的位置");
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (received > m_config.maxBytes || total > m_config.maxBytes) {
            m_abortReason = QStringLiteral("更新信息过大");
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, userInitiated] { finished(userInitiated); });
}

void AppUpdater::fail(bool userInitiated, const QString &reason)
{
    if (userInitiated)
        emit checkFinished(QStringLiteral("检查更新失败：") + reason);
}

void AppUpdater::finished(bool userInitiated)
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    emit canCheckForUpdatesChanged();
    m_settings->setValue(kLastCheck, qint64(m_clock.now().msecsSinceEpoch()));
    m_settings->sync();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!m_abortReason.isEmpty())
        return fail(userInitiated, m_abortReason);
    if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError)
        return fail(userInitiated, QStringLiteral("连接超时"));
    if (status >= 400)
        return fail(userInitiated, QStringLiteral("服务器返回 %1").arg(status));
    if (reply->error() != QNetworkReply::NoError)
        return fail(userInitiated, QStringLiteral("无法连接更新服务器"));
    const QByteArray body = reply->read(m_config.maxBytes + 1);
    if (body.size() > m_config.maxBytes)
        return fail(userInitiated, QStringLiteral("更新信息过大"));

    Appcast cast = parseAppcast(body);
    if (!cast.error.isEmpty())
        return fail(userInitiated, cast.error);
    // Only releases we can send the user to safely.
    QList<AppcastItem> usable;
    for (auto item : cast.items) {
        if (!allowed(item.link))
            item.link.clear();
        if (!allowed(item.enclosure))
            item.enclosure.clear();
        if (!item.link.isEmpty() || !item.enclosure.isEmpty())
            usable.append(item);
    }
    const auto update = newestUpdate(usable, m_config.version);
    const QString skipped = m_settings->value(kSkipped).toString();
    if (!update || (!userInitiated && compareVersions(update->version, skipped) == 0 && !skipped.isEmpty())) {
        if (userInitiated)
            emit checkFinished(QStringLiteral("已是最新版本"));
        return;
    }
    if (!userInitiated && m_isBusy && m_isBusy()) {
        setDeferred(update->version); // not in front of a running round
        return;
    }
    setDeferred(QString());
    setOffer(update);
}

void AppUpdater::setDeferred(const QString &version)
{
    if (version == m_deferred)
        return;
    m_deferred = version;
    emit deferredVersionChanged();
}

void AppUpdater::setOffer(std::optional<AppcastItem> item)
{
    m_offer = std::move(item);
    emit offerChanged();
}

void AppUpdater::download()
{
    if (!m_offer)
        return;
    const QUrl target = !m_offer->link.isEmpty() ? m_offer->link : m_offer->enclosure;
    if (allowed(target))
        QDesktopServices::openUrl(target);
    setOffer(std::nullopt);
}

void AppUpdater::remindLater() { setOffer(std::nullopt); }

void AppUpdater::skipThisVersion()
{
    if (!m_offer)
        return;
    m_settings->setValue(kSkipped, m_offer->version);
    m_settings->sync();
    setOffer(std::nullopt);
}

} // namespace tessary::updates
