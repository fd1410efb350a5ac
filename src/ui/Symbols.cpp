#include "Symbols.h"

#include "records/Log.h"

#include <QFontDatabase>
#include <QHash>
#include <QSet>

namespace tessary::ui {

namespace {

struct Entry {
    const char *name;
    char16_t codepoint;
};

// Material Icons codepoints (the Debian font's stylesheet lists them by name).
constexpr Entry kTable[] = {
    {"arrow.clockwise", 0xe5d5},          // refresh
    {"arrow.down.circle.fill", 0xf181},   // arrow_circle_down
    {"arrow.right", 0xe5c8},              // arrow_forward
    {"arrow.triangle.2.circlepath", 0xe627}, // sync
    {"arrow.up.forward", 0xf1e1},         // north_east
    {"arrow.up.left.and.arrow.down.right", 0xf1ce}, // open_in_full
    {"battery.25", 0xebe0},               // battery_2_bar
    {"bell.badge", 0xe7f7},               // notifications_active
    {"bell.badge.fill", 0xe7f7},
    {"bird.fill", 0xe00b},                // flutter_dash
    {"bolt.heart", 0xeaa2},               // monitor_heart
    {"brain.head.profile", 0xea4a},       // psychology
    {"calendar", 0xe935},                 // calendar_today
    {"chart.line.uptrend.xyaxis", 0xe8e5},// trending_up
    {"chart.xyaxis.line", 0xf092},        // insights
    {"checkmark", 0xe5ca},                // check
    {"checkmark.circle.fill", 0xe86c},    // check_circle
    {"chevron.right", 0xe5cc},            // chevron_right
    {"chevron.up.chevron.down", 0xe5d7},  // unfold_more
    {"circle", 0xe836},                   // radio_button_unchecked
    {"circle.dotted", 0xe3a2},            // blur_circular
    {"circle.fill", 0xef4a},              // circle
    {"circle.grid.2x2.fill", 0xe9b0},     // grid_view
    {"clock.arrow.circlepath", 0xe889},   // history
    {"clock.fill", 0xe8b5},               // schedule
    {"cloud.fill", 0xe2bd},               // cloud
    {"cloud.rain.fill", 0xebdb},          // thunderstorm
    {"dial.medium", 0xe429},              // tune
    {"drop.fill", 0xe798},                // water_drop
    {"exclamationmark.triangle.fill", 0xe002}, // warning
    {"eye", 0xe8f4},                      // visibility
    {"figure.mind.and.body", 0xea78},     // self_improvement
    {"figure.stairs", 0xf1a9},            // stairs
    {"flame.fill", 0xef55},               // local_fire_department
    {"hourglass", 0xe88b},                // hourglass_empty
    {"internaldrive.fill", 0xe1db},       // storage
    {"leaf", 0xec1a},                     // energy_savings_leaf
    {"leaf.fill", 0xea35},                // eco
    {"minus", 0xe15b},                    // remove
    {"moon.stars.fill", 0xea46},          // nights_stay
    {"music.note", 0xe405},               // music_note
    {"pause.circle.fill", 0xe035},        // pause_circle_filled
    {"pause.fill", 0xe034},               // pause
    {"play.fill", 0xe037},                // play_arrow
    {"plus", 0xe145},                     // add
    {"quote.opening", 0xe244},            // format_quote
    {"scope", 0xe1b3},                    // gps_fixed
    {"shuffle", 0xe043},                  // shuffle
    {"slider.horizontal.3", 0xe429},      // tune
    {"sparkles", 0xe65f},                 // auto_awesome
    {"speaker.fill", 0xe04e},             // volume_mute
    {"speaker.wave.2.fill", 0xe050},      // volume_up
    {"square.and.arrow.up", 0xe6b8},      // ios_share
    {"stop.fill", 0xe047},                // stop
    {"sun.max.fill", 0xe518},             // light_mode
    {"tag", 0xe54e},                      // local_offer
    {"tag.fill", 0xe54e},
    {"text.magnifyingglass", 0xf02f},     // manage_search
    {"timer", 0xe425},                    // timer
    {"trash", 0xe92e},                    // delete_outline
    {"trash.fill", 0xe872},               // delete
    {"water.waves", 0xe176},              // waves
    {"waveform", 0xe1b8},                 // graphic_eq
    {"waveform.path.ecg", 0xeaa2},        // monitor_heart
    {"wind", 0xefd8},                     // air
    {"xmark", 0xe5cd},                    // close
};

const QHash<QString, char16_t> &table()
{
    static const QHash<QString, char16_t> t = [] {
        QHash<QString, char16_t> h;
        for (const auto &e : kTable)
            h.insert(QString::fromLatin1(e.name), e.codepoint);
        return h;
    }();
    return t;
}

QString &fontFamilyCell()
{
    static QString family;
    return family;
}

} // namespace

char16_t Symbols::codepoint(const QString &name) { return table().value(name, 0); }

QStringList Symbols::names()
{
    QStringList n;
    for (const auto &e : kTable)
        n.append(QString::fromLatin1(e.name));
    return n;
}

QString Symbols::glyph(const QString &name) const
{
    const char16_t cp = codepoint(name);
    if (cp == 0) {
        static QSet<QString> reported;
        if (!reported.contains(name)) {
            reported.insert(name);
            qCWarning(lcTessary).noquote() << "Tessary symbol without a glyph:" << name;
        }
        return {};
    }
    return QString(QChar(cp));
}

QString Symbols::registerFont()
{
    QString &family = fontFamilyCell();
    if (!family.isEmpty())
        return family;
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    family = families.isEmpty() ? QStringLiteral("Material Icons") : families.front();
    return family;
}

QString Symbols::fontFamily() const { return registerFont(); }

} // namespace tessary::ui
