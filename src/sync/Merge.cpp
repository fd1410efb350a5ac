#include "Merge.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace tessary::sync {

Merged merge(const QList<StudySession> &local, const QList<DeviceFile> &files)
{
    Merged out;
    // Files in device order: the result must not depend on the order they were listed in.
    QList<const DeviceFile *> ordered;
    for (const DeviceFile &f : files)
        ordered.append(&f);
    std::sort(ordered.begin(), ordered.end(), [](const DeviceFile *a, const DeviceFile *b) {
        return a->deviceId != b->deviceId ? a->deviceId < b->deviceId : a->sequence > b->sequence;
    });

    std::unordered_set<Uuid> dead;
    for (const DeviceFile *f : ordered) {
        out.highestClock = std::max(out.highestClock, f->clock);
        for (const Tombstone &t : f->tombstones) {
            if (dead.insert(t.id).second)
                out.tombstones.append(t);
        }
        for (const ClearMark &c : f->clears) {
            if (!out.clears.contains(c))
                out.clears.append(c);
        }
        if (f->tasksClock && (!out.tasksClock || *out.tasksClock < *f->tasksClock)) {
            out.tasksClock = f->tasksClock;
            out.taskNames = f->taskNames;
        }
    }
    const auto removed = [&](const StudySession &s) {
        if (dead.count(s.id))
            return true;
        return s.origin && std::any_of(out.clears.cbegin(), out.clears.cend(),
                                       [&](const ClearMark &c) { return c.covers(*s.origin); });
    };

    // Of several copies of a round, the latest edit; unedited copies, the first met (the files'
    // before the local one).
    std::unordered_map<Uuid, qsizetype> at;
    const auto take = [&](const StudySession &s) {
        if (removed(s))
            return;
        if (const auto found = at.find(s.id); found != at.end()) {
            StudySession &held = out.sessions[found->second];
            if (s.edited && (!held.edited || *held.edited < *s.edited))
                held = s;
            return;
        }
        at.emplace(s.id, out.sessions.size());
        out.sessions.append(s);
    };
    for (const DeviceFile *f : ordered)
        for (const StudySession &s : f->sessions)
            take(s);
    for (const StudySession &s : local)
        take(s);
    std::sort(out.sessions.begin(), out.sessions.end(), [](const StudySession &a, const StudySession &b) {
        return a.startedAt != b.startedAt ? a.startedAt > b.startedAt : a.id < b.id;
    });
    return out;
}

} // namespace tessary::sync
