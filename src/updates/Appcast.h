#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The update feed: an RSS 2.0 appcast in Sparkle's dialect, read strictly enough
// that a broken feed is an error and never a crash.
namespace tessary::updates {

struct AppcastItem {
    QString version;     // sparkle:shortVersionString, else sparkle:version (on the item or its enclosure)
    QString title;
    QUrl link;           // the release page
    QUrl enclosure;      // the download
    QString description; // release notes, as plain text
    bool operator==(const AppcastItem &) const = default;
};

struct Appcast {
    QList<AppcastItem> items; // items without a version are left out
    QString error;            // empty when the feed was read
};

Appcast parseAppcast(const QByteArray &xml);

// Numeric comparison of dotted versions: 1.10 > 1.9, 1.2 == 1.2.0, a leading "v" is
// ignored, and a non-numeric part compares as text after the numbers.
int compareVersions(const QString &a, const QString &b);

// The newest item newer than `current`, if any.
std::optional<AppcastItem> newestUpdate(const QList<AppcastItem> &items, const QString &current);

// Release notes as plain text: tags dropped, entities decoded, blank runs folded.
QString plainText(const QString &html);

} // namespace tessary::updates
