#include "Appcast.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace tessary::updates {

namespace {
const QString kSparkle = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

QStringList parts(QString v)
{
    v = v.trimmed();
    if (v.startsWith(u'v') || v.startsWith(u'V'))
        v.remove(0, 1);
    return v.split(QRegularExpression(QStringLiteral("[.\\-+]")), Qt::SkipEmptyParts);
}
} // namespace

Appcast parseAppcast(const QByteArray &xml)
{
    Appcast cast;
    QXmlStreamReader r(xml);
    bool sawChannel = false;
    AppcastItem item;
    QString itemVersion, itemShort;
    bool inItem = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const auto name = r.name();
            const bool sparkle = r.namespaceUri() == kSparkle;
            if (name == QLatin1String("channel")) {
                sawChannel = true;
            } else if (name == QLatin1String("item")) {
                inItem = true;
                item = AppcastItem{};
                itemVersion.clear();
                itemShort.clear();
            } else if (inItem && !sparkle && name == QLatin1String("title")) {
                item.title = r.readElementText().trimmed();
            } else if (inItem && !sparkle && name == QLatin1String("link")) {
                item.link = QUrl(r.readElementText().trimmed());
            } else if (inItem && !sparkle && name == QLatin1String("description")) {
                item.description = plainText(r.readElementText());
            } else if (inItem && sparkle && name == QLatin1String("shortVersionString")) {
                itemShort = r.readElementText().trimmed();
            } else if (inItem && sparkle && name == QLatin1String("version")) {
                itemVersion = r.readElementText().trimmed();
            } else if (inItem && name == QLatin1String("enclosure")) {
                const auto a = r.attributes();
                item.enclosure = QUrl(a.value(QStringLiteral("url")).toString());
                if (itemShort.isEmpty())
                    itemShort = a.value(kSparkle, QStringLiteral("shortVersionString")).toString().trimmed();
                if (itemVersion.isEmpty())
                    itemVersion = a.value(kSparkle, QStringLiteral("version")).toString().trimmed();
            }
        } else if (r.isEndElement() && r.name() == QLatin1String("item")) {
            inItem = false;
            item.version = itemShort.isEmpty() ? itemVersion : itemShort;
            if (!item.version.isEmpty() && !parts(item.version).isEmpty())
                cast.items.append(item);
        }
    }
    if (r.hasError())
        cast.error = QStringLiteral("更新信息格式有误");
    else if (!sawChannel)
        cast.error = QStringLiteral("不是更新信息");
    else if (cast.items.isEmpty())
        cast.error = QStringLiteral("更新信息里没有版本");
    if (!cast.error.isEmpty())
        cast.items.clear();
    return cast;
}

int compareVersions(const QString &a, const QString &b)
{
    const QStringList pa = parts(a), pb = parts(b);
    for (qsizetype i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const QString x = i < pa.size() ? pa[i] : QStringLiteral("0");
        const QString y = i < pb.size() ? pb[i] : QStringLiteral("0");
        bool nx = false, ny = false;
        const qulonglong vx = x.toULongLong(&nx), vy = y.toULongLong(&ny);
        if (nx && ny) {
            if (vx != vy)
                return vx < vy ? -1 : 1;
        } else if (nx != ny) {
            return nx ? 1 : -1; // 1.2.0 is newer than 1.2.0-beta's "beta"
        } else if (const int c = x.compare(y, Qt::CaseInsensitive); c != 0) {
            return c < 0 ? -1 : 1;
        }
    }
    return 0;
}

std::optional<AppcastItem> newestUpdate(const QList<AppcastItem> &items, const QString &current)
{
    std::optional<AppcastItem> best;
    for (const auto &item : items)
        if (compareVersions(item.version, current) > 0 && (!best || compareVersions(item.version, best->version) > 0))
            best = item;
    return best;
}

QString plainText(const QString &html)
{
    QString t = html;
    t.replace(QRegularExpression(QStringLiteral("<\\s*(br|/p|/li|/h[1-6]|/div)\\s*/?>"), QRegularExpression::CaseInsensitiveOption),
              QStringLiteral("\n"));
    t.replace(QRegularExpression(QStringLiteral("<\\s*li[^>]*>"), QRegularExpression::CaseInsensitiveOption), QStringLiteral("• "));
    t.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    // Numeric entities, then the named ones, "&amp;" last so "&amp;lt;" stays "&lt;".
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9a-fA-F]+);"));
    QString out;
    qsizetype last = 0;
    for (auto it = numeric.globalMatch(t); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(t).mid(last, m.capturedStart() - last);
        bool ok = false;
        const uint code = m.captured(2).toUInt(&ok, m.captured(1).isEmpty() ? 10 : 16);
        if (ok && code > 0 && code < 0x110000 && QChar::isPrint(char32_t(code)))
            out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        last = m.capturedEnd();
    }
    out += QStringView(t).mid(last);
    out.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    out.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    out.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    out.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    out.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    out.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    QStringList lines;
    for (const QString &line : out.split(u'\n'))
        lines.append(line.simplified());
    out = lines.join(u'\n');
    out.replace(QRegularExpression(QStringLiteral("\\n{3,}")), QStringLiteral("\n\n"));
    return out.trimmed();
}

} // namespace tessary::updates
