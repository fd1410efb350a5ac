#include "DocumentCodec.h"

#include "JsonReader.h"
#include "JsonWriter.h"

#include <simdjson.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessary {

// ---------------------------------------------------------------------------
// Encoding. Members are written in ascending key order by hand; a test checks
// every object of an encoded document for that order.

namespace {

void encodeEvent(JsonWriter &w, const FocusEvent &e, std::string &scratch)
{
    w.beginObject();
    w.key("date");
    scratch.clear();
    e.date.appendIso8601(scratch);
    w.rawString(scratch);
    w.key("elapsedSeconds");
    w.value(e.elapsedSeconds);
    w.key("id");
    scratch.clear();
    e.id.appendText(scratch);
    w.rawString(scratch);
    w.key("kind");
    w.rawString(toString(e.kind));
    w.endObject();
}

void encodeSession(JsonWriter &w, const StudySession &s, std::string &scratch)
{
    w.beginObject();
    w.key("completed");
    w.value(s.completed);
    if (s.edited) {
        w.key("edited");
        w.beginObject();
        w.key("clock");
        w.value(s.edited->clock);
        w.key("device");
        scratch.clear();
        s.edited->device.appendText(scratch);
        w.rawString(scratch);
        w.endObject();
    }
    w.key("endEnergy");
    w.value(s.endEnergy);
    w.key("endedAt");
    scratch.clear();
    s.endedAt.appendIso8601(scratch);
    w.rawString(scratch);
    w.key("events");
    w.beginArray();
    for (const auto &e : s.events)
        encodeEvent(w, e, scratch);
    w.endArray();
    w.key("focusRating");
    w.value(s.focusRating);
    w.key("focusedSeconds");
    w.value(s.focusedSeconds);
    w.key("id");
    scratch.clear();
    s.id.appendText(scratch);
    w.rawString(scratch);
    w.key("microBreakSeconds");
    w.value(s.microBreakSeconds);
    w.key("note");
    w.value(s.note);
    if (s.origin) {
        w.key("origin");
        w.beginObject();
        w.key("added");
        w.value(s.origin->added);
        w.key("device");
        scratch.clear();
        s.origin->device.appendText(scratch);
        w.rawString(scratch);
        w.endObject();
    }
    w.key("plannedMinutes");
    w.value(s.plannedMinutes);
    w.key("reminderMaximumMinutes");
    w.value(s.reminderMaximumMinutes);
    w.key("reminderMinimumMinutes");
    w.value(s.reminderMinimumMinutes);
    w.key("startEnergy");
    w.value(s.startEnergy);
    w.key("startedAt");
    scratch.clear();
    s.startedAt.appendIso8601(scratch);
    w.rawString(scratch);
    if (s.taskName) {
        w.key("taskName");
        w.value(*s.taskName);
    }
    w.endObject();
}

void encodeStringList(JsonWriter &w, const QStringList &list)
{
    w.beginArray();
    for (const QString &s : list)
        w.value(s);
    w.endArray();
}

template <typename E>
void encodeEnum(JsonWriter &w, E value)
{
    w.value(enumString(value));
}

void encodeUuid(JsonWriter &w, const Uuid &id, std::string &scratch)
{
    scratch.clear();
    id.appendText(scratch);
    w.rawString(scratch);
}

void encodeTombstones(JsonWriter &w, const QList<Tombstone> &tombstones, std::string &scratch)
{
    w.beginArray();
    for (const auto &t : tombstones) {
        w.beginObject();
        w.key("clock");
        w.value(t.clock);
        w.key("id");
        encodeUuid(w, t.id, scratch);
        w.endObject();
    }
    w.endArray();
}

void encodeClears(JsonWriter &w, const QList<ClearMark> &clears, std::string &scratch)
{
    w.beginArray();
    for (const auto &c : clears) {
        w.beginObject();
        w.key("clock");
        w.value(c.clock);
        w.key("device");
        encodeUuid(w, c.device, scratch);
        w.key("seen");
        w.beginArray();
        for (const auto &s : c.seen) {
            w.beginObject();
            w.key("device");
            encodeUuid(w, s.device, scratch);
            w.key("sequence");
            w.value(s.sequence);
            w.endObject();
        }
        w.endArray();
        w.endObject();
    }
    w.endArray();
}

void encodeTaskClock(JsonWriter &w, const TaskListClock &c, std::string &scratch)
{
    w.beginObject();
    w.key("clock");
    w.value(c.clock);
    w.key("device");
    encodeUuid(w, c.device, scratch);
    w.endObject();
}

void encodeSyncState(JsonWriter &w, const SyncState &s)
{
    std::string scratch;
    w.beginObject();
    w.key("clears");
    encodeClears(w, s.clears, scratch);
    w.key("clock");
    w.value(s.clock);
    w.key("deviceId");
    encodeUuid(w, s.deviceId, scratch);
    w.key("deviceName");
    w.value(s.deviceName);
    w.key("enabled");
    w.value(s.enabled);
    w.key("folder");
    w.value(s.folder);
    w.key("sequence");
    w.value(s.sequence);
    if (s.tasks) {
        w.key("tasks");
        encodeTaskClock(w, *s.tasks, scratch);
    }
    w.key("tombstones");
    encodeTombstones(w, s.tombstones, scratch);
    w.endObject();
}

bool encodeSettings(JsonWriter &w, const AppSettings &s, std::string *error)
{
    auto badNumber = [&](const char *what) {
        if (error)
            *error = std::string("settings.") + what + ": not a finite number";
        return false;
    };
    w.beginObject();
    if (s.ambientFollowsFocus) {
        w.key("ambientFollowsFocus");
        w.value(*s.ambientFollowsFocus);
    }
    if (s.ambientMasterVolume) {
        w.key("ambientMasterVolume");
        if (!w.value(*s.ambientMasterVolume))
            return badNumber("ambientMasterVolume");
    }
    if (s.ambientSounds) {
        w.key("ambientSounds");
        encodeStringList(w, *s.ambientSounds);
    }
    if (s.ambientVolumes) {
        w.key("ambientVolumes");
        // Sort by UTF-8 bytes, the order every other key on disk follows.
        std::vector<std::pair<QByteArray, double>> entries;
        entries.reserve(size_t(s.ambientVolumes->size()));
        for (auto it = s.ambientVolumes->cbegin(); it != s.ambientVolumes->cend(); ++it)
            entries.emplace_back(it.key().toUtf8(), it.value());
        std::sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        w.beginObject();
        for (const auto &[name, volume] : entries) {
            w.escapedKey(std::string_view(name.constData(), size_t(name.size())));
            if (!w.value(volume))
                return badNumber("ambientVolumes");
        }
        w.endObject();
    }
    if (s.appearanceMode) {
        w.key("appearanceMode");
        encodeEnum(w, *s.appearanceMode);
    }
    w.key("autoPlayMusic");
    w.value(s.autoPlayMusic);
    w.key("completionSound");
    w.value(s.completionSound);
    if (s.floatingSignalButtons) {
        w.key("floatingSignalButtons");
        w.value(*s.floatingSignalButtons);
    }
    if (s.floatingTimerOnMinimize) {
        w.key("floatingTimerOnMinimize");
        w.value(*s.floatingTimerOnMinimize);
    }
    w.key("microBreakSeconds");
    w.value(s.microBreakSeconds);
    if (s.musicService) {
        w.key("musicService");
        encodeEnum(w, *s.musicService);
    }
    w.key("musicSource");
    encodeEnum(w, s.musicSource);
    if (s.pauseOnLock) {
        w.key("pauseOnLock");
        w.value(*s.pauseOnLock);
    }
    w.key("playlistName");
    w.value(s.playlistName);
    w.key("reminderMaximumMinutes");
    w.value(s.reminderMaximumMinutes);
    w.key("reminderMinimumMinutes");
    w.value(s.reminderMinimumMinutes);
    w.key("reminderSound");
    w.value(s.reminderSound);
    w.key("selectedDurationMinutes");
    w.value(s.selectedDurationMinutes);
    if (s.selectedTaskName) {
        w.key("selectedTaskName");
        w.value(*s.selectedTaskName);
    }
    w.key("showNextReminder");
    w.value(s.showNextReminder);
    if (s.taskNames) {
        w.key("taskNames");
        encodeStringList(w, *s.taskNames);
    }
    w.endObject();
    return true;
}

} // namespace

bool encodeDocument(const PersistedData &data, const DocumentSink &sink, std::string *error, size_t chunkBytes)
{
    std::string out;
    out.reserve(chunkBytes + 64 * 1024);
    JsonWriter w(out);
    std::string scratch;
    scratch.reserve(64);
    auto flush = [&] {
        const bool ok = sink(out);
        out.clear();
        return ok;
    };
    w.beginObject();
    w.key("sessions");
    w.beginArray();
    for (const auto &s : data.sessions) {
        encodeSession(w, s, scratch);
        if (out.size() >= chunkBytes && !flush())
            return false;
    }
    w.endArray();
    w.key("settings");
    if (!encodeSettings(w, data.settings, error))
        return false;
    if (data.sync) {
        w.key("sync");
        encodeSyncState(w, *data.sync);
    }
    w.endObject();
    out.push_back('\n');
    return flush();
}

bool encodeDocument(const PersistedData &data, std::string &out, std::string *error)
{
    out.clear();
    std::string text;
    const bool ok = encodeDocument(
        data,
        [&](std::string_view piece) {
            text.append(piece);
            return true;
        },
        error);
    if (ok)
        out = std::move(text);
    return ok;
}

// ---------------------------------------------------------------------------
// Decoding: one strict pass over the bytes straight into records, no tree built.
// Each object is walked once, whatever its key order; unknown members are skipped
// (their syntax still checked).

namespace {

class Decoder {
public:
    explicit Decoder(std::string_view text) : m_in(text) {}

    std::string error;

    bool readDeviceFile(DeviceFile &out) { return deviceFile(out); }

    bool document(PersistedData &out)
    {
        if (!m_in.beginObject())
            return fail("", "the document is not a JSON object");
        bool haveSettings = false, haveSessions = false;
        std::string_view key;
        while (m_in.nextMember(key)) {
            if (key == "settings") {
                haveSettings = true;
                if (!settings(out.settings))
                    return false;
            } else if (key == "sessions") {
                haveSessions = true;
                if (!sessions(out.sessions))
                    return false;
            } else if (key == "sync") {
                if (!readOptional(out.sync, [this](SyncState &s) { return syncState(s); }))
                    return fail("sync", error.empty() ? "invalid value" : "");
            } else if (!m_in.skipValue()) {
                return fail("", "malformed JSON");
            }
        }
        if (!m_in.ok())
            return fail("", "malformed JSON");
        if (!m_in.atEnd())
            return fail("", "trailing content after the document");
        if (!haveSettings)
            return fail("settings", "missing");
        if (!haveSessions)
            return fail("sessions", "missing");
        return true;
    }

private:
    JsonReader m_in;

    bool fail(std::string_view where, std::string_view why)
    {
        if (!error.empty())
            return false; // keep the innermost reason
        error.assign(where);
        if (!error.empty())
            error += ": ";
        error += why;
        return false;
    }

    bool failAt(std::string_view list, size_t index, std::string_view key, std::string_view why)
    {
        std::string where = std::string(list) + "[" + std::to_string(index) + "]";
        if (!key.empty())
            where += "." + std::string(key);
        return fail(where, why);
    }

    bool readString(QString &out)
    {
        std::string_view sv;
        if (!m_in.readString(sv))
            return false;
        out = QString::fromUtf8(sv.data(), qsizetype(sv.size()));
        return true;
    }

    bool readStringList(QStringList &out)
    {
        if (!m_in.beginArray())
            return false;
        out.clear();
        while (m_in.nextElement()) {
            QString s;
            if (!readString(s))
                return false;
            out.append(std::move(s));
        }
        return m_in.ok();
    }

    bool readVolumes(QMap<QString, double> &out)
    {
        if (!m_in.beginObject())
            return false;
        std::string_view key;
        while (m_in.nextMember(key)) {
            const QString name = QString::fromUtf8(key.data(), qsizetype(key.size()));
            double d;
            if (!m_in.readDouble(d))
                return false;
            out.insert(name, d);
        }
        return m_in.ok();
    }

    bool readTimestamp(Timestamp &out)
    {
        std::string_view sv;
        if (!m_in.readString(sv))
            return false;
        const auto t = Timestamp::parseIso8601(sv);
        if (t)
            out = *t;
        return t.has_value();
    }

    bool readUuid(Uuid &out)
    {
        std::string_view sv;
        if (!m_in.readString(sv))
            return false;
        const auto u = Uuid::parse(sv);
        if (u)
            out = *u;
        return u.has_value();
    }

    template <typename E>
    bool readEnum(E &out)
    {
        std::string_view sv;
        if (!m_in.readString(sv))
            return false;
        const auto e = enumFromString<E>(sv);
        if (e)
            out = *e;
        return e.has_value();
    }

    bool readKind(FocusEventKind &out)
    {
        std::string_view sv;
        if (!m_in.readString(sv))
            return false;
        const auto k = focusEventKindFromString(sv);
        if (k)
            out = *k;
        return k.has_value();
    }

    // An optional member: null reads as absent, like a missing key.
    template <typename T, typename Reader>
    bool readOptional(std::optional<T> &out, Reader read)
    {
        if (m_in.readNullIf()) {
            out.reset();
            return true;
        }
        T value{};
        if (!read(value))
            return false;
        out = std::move(value);
        return true;
    }

    // Matches `key` against the names in `names`; returns the index or -1.
    template <size_t N>
    static int memberIndex(std::string_view key, const std::array<std::string_view, N> &names)
    {
        for (size_t i = 0; i < N; ++i)
            if (names[i] == key)
                return int(i);
        return -1;
    }

    static constexpr std::array<std::string_view, 4> kEventKeys{"id", "date", "elapsedSeconds", "kind"};

    bool event(FocusEvent &e, size_t index)
    {
        if (!m_in.beginObject())
            return failAt("events", index, "", "not an object");
        unsigned seen = 0;
        std::string_view key;
        while (m_in.nextMember(key)) {
            const int i = memberIndex(key, kEventKeys);
            bool ok = true;
            switch (i) {
            case 0: ok = readUuid(e.id); break;
            case 1: ok = readTimestamp(e.date); break;
            case 2: ok = m_in.readInt64(e.elapsedSeconds); break;
            case 3: ok = readKind(e.kind); break;
            default: ok = m_in.skipValue(); break;
            }
            if (!ok)
                return failAt("events", index, i >= 0 ? kEventKeys[size_t(i)] : "", "invalid value");
            if (i >= 0)
                seen |= 1u << i;
        }
        if (!m_in.ok())
            return failAt("events", index, "", "malformed JSON");
        for (size_t i = 0; i < kEventKeys.size(); ++i)
            if (!(seen & (1u << i)))
                return failAt("events", index, kEventKeys[i], "missing");
        return true;
    }

    // Every key but taskName, origin and edited (the last three) is required.
    static constexpr std::array<std::string_view, 17> kSessionKeys{
        "id", "startedAt", "endedAt", "plannedMinutes", "focusedSeconds", "reminderMinimumMinutes",
        "reminderMaximumMinutes", "microBreakSeconds", "events", "startEnergy", "endEnergy", "focusRating",
        "completed", "note", "taskName", "origin", "edited"};
    static constexpr size_t kRequiredSessionKeys = 14;

    bool session(StudySession &s, size_t index)
    {
        if (!m_in.beginObject())
            return failAt("sessions", index, "", "not an object");
        unsigned seen = 0;
        std::string_view key;
        while (m_in.nextMember(key)) {
            const int i = memberIndex(key, kSessionKeys);
            bool ok = true;
            switch (i) {
            case 0: ok = readUuid(s.id); break;
            case 1: ok = readTimestamp(s.startedAt); break;
            case 2: ok = readTimestamp(s.endedAt); break;
            case 3: ok = m_in.readInt64(s.plannedMinutes); break;
            case 4: ok = m_in.readInt64(s.focusedSeconds); break;
            case 5: ok = m_in.readInt64(s.reminderMinimumMinutes); break;
            case 6: ok = m_in.readInt64(s.reminderMaximumMinutes); break;
            case 7: ok = m_in.readInt64(s.microBreakSeconds); break;
            case 8: {
                if (!m_in.beginArray())
                    return failAt("sessions", index, "events", "not an array");
                s.events.clear();
                size_t n = 0;
                while (m_in.nextElement()) {
                    FocusEvent e;
                    if (!event(e, n++)) {
                        error = "sessions[" + std::to_string(index) + "]." + error;
                        return false;
                    }
                    s.events.append(e);
                }
                ok = m_in.ok();
                break;
            }
            case 9: ok = m_in.readInt64(s.startEnergy); break;
            case 10: ok = m_in.readInt64(s.endEnergy); break;
            case 11: ok = m_in.readInt64(s.focusRating); break;
            case 12: ok = m_in.readBool(s.completed); break;
            case 13: ok = readString(s.note); break;
            case 14: ok = readOptional(s.taskName, [this](QString &v) { return readString(v); }); break;
            case 15: ok = readOptional(s.origin, [this](SyncOrigin &v) { return origin(v); }); break;
            case 16: ok = readOptional(s.edited, [this](EditStamp &v) { return editStamp(v); }); break;
            default: ok = m_in.skipValue(); break;
            }
            if (!ok)
                return failAt("sessions", index, i >= 0 ? kSessionKeys[size_t(i)] : "", "invalid value");
            if (i >= 0)
                seen |= 1u << i;
        }
        if (!m_in.ok())
            return failAt("sessions", index, "", "malformed JSON");
        for (size_t i = 0; i < kRequiredSessionKeys; ++i)
            if (!(seen & (1u << i)))
                return failAt("sessions", index, kSessionKeys[i], "missing");
        return true;
    }

    // An object whose members are `keys`, the first `required` of them required; `member(i)`
    // reads the value of keys[i]. Unknown members are skipped.
    template <size_t N, typename Member>
    bool object(std::string_view where, const std::array<std::string_view, N> &keys, size_t required, Member member)
    {
        if (!m_in.beginObject())
            return fail(where, "not an object");
        unsigned seen = 0;
        std::string_view key;
        while (m_in.nextMember(key)) {
            const int i = memberIndex(key, keys);
            if (i < 0) {
                if (!m_in.skipValue())
                    return fail(where, "malformed JSON");
                continue;
            }
            if (!member(i))
                return fail(std::string(where) + "." + std::string(keys[size_t(i)]), "invalid value");
            seen |= 1u << i;
        }
        if (!m_in.ok())
            return fail(where, "malformed JSON");
        for (size_t i = 0; i < required; ++i)
            if (!(seen & (1u << i)))
                return fail(std::string(where) + "." + std::string(keys[i]), "missing");
        return true;
    }

    template <typename T, typename Element>
    bool array(std::string_view where, QList<T> &out, Element element)
    {
        if (!m_in.beginArray())
            return fail(where, "not an array");
        out.clear();
        while (m_in.nextElement()) {
            out.emplace_back();
            if (!element(out.back()))
                return false;
        }
        return m_in.ok() ? true : fail(where, "malformed JSON");
    }

    bool origin(SyncOrigin &o)
    {
        static constexpr std::array<std::string_view, 2> keys{"device", "added"};
        return object("origin", keys, 2, [&](int i) { return i == 0 ? readUuid(o.device) : m_in.readInt64(o.added); });
    }

    bool editStamp(EditStamp &e)
    {
        static constexpr std::array<std::string_view, 2> keys{"clock", "device"};
        return object("edited", keys, 2, [&](int i) { return i == 0 ? m_in.readInt64(e.clock) : readUuid(e.device); });
    }

    bool tombstones(QList<Tombstone> &out)
    {
        static constexpr std::array<std::string_view, 2> keys{"id", "clock"};
        return array("tombstones", out, [&](Tombstone &t) {
            return object("tombstones[]", keys, 2,
                          [&](int i) { return i == 0 ? readUuid(t.id) : m_in.readInt64(t.clock); });
        });
    }

    bool clears(QList<ClearMark> &out)
    {
        static constexpr std::array<std::string_view, 3> keys{"device", "clock", "seen"};
        static constexpr std::array<std::string_view, 2> seenKeys{"device", "sequence"};
        return array("clears", out, [&](ClearMark &c) {
            return object("clears[]", keys, 3, [&](int i) {
                if (i == 0)
                    return readUuid(c.device);
                if (i == 1)
                    return m_in.readInt64(c.clock);
                return array("clears[].seen", c.seen, [&](SeenSequence &s) {
                    return object("clears[].seen[]", seenKeys, 2,
                                  [&](int j) { return j == 0 ? readUuid(s.device) : m_in.readInt64(s.sequence); });
                });
            });
        });
    }

    bool taskClock(TaskListClock &c)
    {
        static constexpr std::array<std::string_view, 2> keys{"clock", "device"};
        return object("tasks", keys, 2, [&](int i) { return i == 0 ? m_in.readInt64(c.clock) : readUuid(c.device); });
    }

    bool syncState(SyncState &s)
    {
        static constexpr std::array<std::string_view, 9> keys{"enabled", "folder", "deviceName", "deviceId", "sequence",
                                                               "clock", "tombstones", "clears", "tasks"};
        return object("sync", keys, 8, [&](int i) {
            switch (i) {
            case 0: return m_in.readBool(s.enabled);
            case 1: return readString(s.folder);
            case 2: return readString(s.deviceName);
            case 3: return readUuid(s.deviceId);
            case 4: return m_in.readInt64(s.sequence);
            case 5: return m_in.readInt64(s.clock);
            case 6: return tombstones(s.tombstones);
            case 7: return clears(s.clears);
            default: return readOptional(s.tasks, [this](TaskListClock &c) { return taskClock(c); });
            }
        });
    }

    bool deviceFile(DeviceFile &f)
    {
        static constexpr std::array<std::string_view, 9> keys{"format", "deviceId", "deviceName", "sequence", "clock",
                                                               "sessions", "tombstones", "clears", "tasks"};
        static constexpr std::array<std::string_view, 3> taskKeys{"clock", "device", "names"};
        std::int64_t format = 0;
        const bool ok = object("device", keys, 8, [&](int i) {
            switch (i) {
            case 0: return m_in.readInt64(format);
            case 1: return readUuid(f.deviceId);
            case 2: return readString(f.deviceName);
            case 3: return m_in.readInt64(f.sequence);
            case 4: return m_in.readInt64(f.clock);
            case 5: return sessions(f.sessions);
            case 6: return tombstones(f.tombstones);
            case 7: return clears(f.clears);
            default: {
                if (m_in.readNullIf())
                    return true;
                TaskListClock c;
                const bool read = object("tasks", taskKeys, 3, [&](int j) {
                    return j == 0 ? m_in.readInt64(c.clock) : j == 1 ? readUuid(c.device) : readStringList(f.taskNames);
                });
                if (read)
                    f.tasksClock = c;
                return read;
            }
            }
        });
        if (!ok)
            return false;
        if (format != DeviceFile::kFormat)
            return fail("device.format", "a format this version does not know");
        if (!m_in.atEnd())
            return fail("", "trailing content after the device file");
        return true;
    }

    bool sessions(QList<StudySession> &out)
    {
        if (!m_in.beginArray())
            return fail("sessions", "not an array");
        out.clear();
        size_t i = 0;
        while (m_in.nextElement()) {
            out.emplace_back();
            if (!session(out.back(), i++))
                return false;
        }
        return m_in.ok() ? true : fail("sessions", "malformed JSON");
    }

    // The first ten are required; the rest were added later and are optional.
    static constexpr std::array<std::string_view, 21> kSettingsKeys{
        "selectedDurationMinutes", "reminderMinimumMinutes", "reminderMaximumMinutes", "microBreakSeconds",
        "reminderSound", "completionSound", "showNextReminder", "autoPlayMusic", "musicSource", "playlistName",
        "musicService", "appearanceMode", "floatingTimerOnMinimize", "floatingSignalButtons", "taskNames",
        "selectedTaskName", "ambientSounds", "ambientVolumes", "ambientMasterVolume", "ambientFollowsFocus", "pauseOnLock"};
    static constexpr size_t kRequiredSettings = 10;

    bool settings(AppSettings &s)
    {
        if (!m_in.beginObject())
            return fail("settings", "not an object");
        // Optional members stay absent unless the document holds them.
        s.musicService.reset();
        s.appearanceMode.reset();
        s.floatingTimerOnMinimize.reset();
        s.floatingSignalButtons.reset();
        s.taskNames.reset();
        s.selectedTaskName.reset();
        s.ambientSounds.reset();
        s.ambientVolumes.reset();
        s.ambientMasterVolume.reset();
        s.ambientFollowsFocus.reset();
        s.pauseOnLock.reset();

        auto readBool = [this](bool &b) { return m_in.readBool(b); };
        auto readDouble = [this](double &d) { return m_in.readDouble(d); };
        auto readText = [this](QString &v) { return readString(v); };
        auto readList = [this](QStringList &v) { return readStringList(v); };
        unsigned seen = 0;
        std::string_view key;
        while (m_in.nextMember(key)) {
            const int i = memberIndex(key, kSettingsKeys);
            bool ok = true;
            switch (i) {
            case 0: ok = m_in.readInt64(s.selectedDurationMinutes); break;
            case 1: ok = m_in.readInt64(s.reminderMinimumMinutes); break;
            case 2: ok = m_in.readInt64(s.reminderMaximumMinutes); break;
            case 3: ok = m_in.readInt64(s.microBreakSeconds); break;
            case 4: ok = readString(s.reminderSound); break;
            case 5: ok = readString(s.completionSound); break;
            case 6: ok = m_in.readBool(s.showNextReminder); break;
            case 7: ok = m_in.readBool(s.autoPlayMusic); break;
            case 8: ok = readEnum(s.musicSource); break;
            case 9: ok = readString(s.playlistName); break;
            case 10: ok = readOptional(s.musicService, [this](MusicService &v) { return readEnum(v); }); break;
            case 11: ok = readOptional(s.appearanceMode, [this](AppearanceMode &v) { return readEnum(v); }); break;
            case 12: ok = readOptional(s.floatingTimerOnMinimize, readBool); break;
            case 13: ok = readOptional(s.floatingSignalButtons, readBool); break;
            case 14: ok = readOptional(s.taskNames, readList); break;
            case 15: ok = readOptional(s.selectedTaskName, readText); break;
            case 16: ok = readOptional(s.ambientSounds, readList); break;
            case 17:
                ok = readOptional(s.ambientVolumes, [this](QMap<QString, double> &v) { return readVolumes(v); });
                break;
            case 18: ok = readOptional(s.ambientMasterVolume, readDouble); break;
            case 19: ok = readOptional(s.ambientFollowsFocus, readBool); break;
            case 20: ok = readOptional(s.pauseOnLock, readBool); break;
            default: ok = m_in.skipValue(); break;
            }
            if (!ok)
                return fail(i >= 0 ? "settings." + std::string(kSettingsKeys[size_t(i)]) : "settings", "invalid value");
            if (i >= 0)
                seen |= 1u << i;
        }
        if (!m_in.ok())
            return fail("settings", "malformed JSON");
        for (size_t i = 0; i < kRequiredSettings; ++i)
            if (!(seen & (1u << i)))
                return fail("settings." + std::string(kSettingsKeys[i]), "missing");
        return true;
    }
};

} // namespace


bool encodeDeviceFile(const DeviceFile &file, const DocumentSink &sink, size_t chunkBytes)
{
    std::string out;
    out.reserve(chunkBytes + 64 * 1024);
    JsonWriter w(out);
    std::string scratch;
    w.beginObject();
    w.key("clears");
    encodeClears(w, file.clears, scratch);
    w.key("clock");
    w.value(file.clock);
    w.key("deviceId");
    encodeUuid(w, file.deviceId, scratch);
    w.key("deviceName");
    w.value(file.deviceName);
    w.key("format");
    w.value(DeviceFile::kFormat);
    w.key("sequence");
    w.value(file.sequence);
    w.key("sessions");
    // In pieces, as the document: a growing 20 MB string costs more in copies than the encoding.
    w.beginArray();
    for (const auto &s : file.sessions) {
        encodeSession(w, s, scratch);
        if (out.size() >= chunkBytes) {
            if (!sink(out))
                return false;
            out.clear();
        }
    }
    w.endArray();
    if (file.tasksClock) {
        w.key("tasks");
        w.beginObject();
        w.key("clock");
        w.value(file.tasksClock->clock);
        w.key("device");
        encodeUuid(w, file.tasksClock->device, scratch);
        w.key("names");
        encodeStringList(w, file.taskNames);
        w.endObject();
    }
    w.key("tombstones");
    encodeTombstones(w, file.tombstones, scratch);
    w.endObject();
    out.push_back('\n');
    return sink(out);
}

void encodeDeviceFile(const DeviceFile &file, std::string &out)
{
    out.clear();
    encodeDeviceFile(file, [&](std::string_view piece) {
        out.append(piece);
        return true;
    });
}

namespace {
// Checks the UTF-8 once, then reads the whole text with `read`; the value or why not.
template <typename T, typename Read>
std::pair<std::optional<T>, std::string> decodeWhole(std::string_view bytes, const char *notUtf8, Read read)
{
    if (!simdjson::validate_utf8(bytes.data(), bytes.size()))
        return {std::nullopt, notUtf8};
    T value;
    Decoder decoder(bytes);
    if (!read(decoder, value))
        return {std::nullopt, std::move(decoder.error)};
    return {std::move(value), {}};
}
} // namespace

DeviceFileResult decodeDeviceFile(std::string_view bytes)
{
    auto [file, error] = decodeWhole<DeviceFile>(bytes, "not valid UTF-8",
                                                 [](Decoder &d, DeviceFile &f) { return d.readDeviceFile(f); });
    return {std::move(file), std::move(error)};
}

DecodeResult decodeDocument(std::string_view bytes)
{
    auto [data, error] = decodeWhole<PersistedData>(bytes, "the document is not valid UTF-8",
                                                    [](Decoder &d, PersistedData &p) { return d.document(p); });
    return {std::move(data), std::move(error)};
}

} // namespace tessary
