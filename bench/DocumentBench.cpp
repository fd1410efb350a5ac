// The data document at a heavy user's size (10,000 sessions, 10 events each):
// encode + atomic write, read + strict decode, and the CSV export, next to a
// QJsonDocument baseline doing the same work in the same run.

#include "ArchiveFactory.h"
#include "records/Persistence.h"

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUuid>

using namespace tessary;

namespace {

constexpr int kSessions = 10000;

struct Fixture {
    QTemporaryDir dir;
    PersistedData data{fixtures::richSettings(), fixtures::makeArchive(kSessions), std::nullopt};
    QString path = dir.filePath(QStringLiteral("Tessary/focus-data.json"));
    QString baselinePath = dir.filePath(QStringLiteral("Tessary/baseline.json"));
    Fixture() { Persistence::save(path, data.settings, data.sessions); }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

// --- The QJsonDocument baseline ------------------------------------------------

QString iso(Timestamp t) { return QString::fromStdString(t.toIso8601()); }

QJsonObject toJson(const StudySession &s)
{
    QJsonArray events;
    for (const auto &e : s.events)
        events.append(QJsonObject{{"id", e.id.toString()},
                                  {"date", iso(e.date)},
                                  {"elapsedSeconds", qint64(e.elapsedSeconds)},
                                  {"kind", QString::fromLatin1(toString(e.kind).data(), qsizetype(toString(e.kind).size()))}});
    QJsonObject o{{"id", s.id.toString()},
                  {"startedAt", iso(s.startedAt)},
                  {"endedAt", iso(s.endedAt)},
                  {"plannedMinutes", qint64(s.plannedMinutes)},
                  {"focusedSeconds", qint64(s.focusedSeconds)},
                  {"reminderMinimumMinutes", qint64(s.reminderMinimumMinutes)},
                  {"reminderMaximumMinutes", qint64(s.reminderMaximumMinutes)},
                  {"microBreakSeconds", qint64(s.microBreakSeconds)},
                  {"events", events},
                  {"startEnergy", qint64(s.startEnergy)},
                  {"endEnergy", qint64(s.endEnergy)},
                  {"focusRating", qint64(s.focusRating)},
                  {"completed", s.completed},
                  {"note", s.note}};
    if (s.taskName)
        o.insert("taskName", *s.taskName);
    return o;
}

Timestamp fromIso(const QJsonValue &v)
{
    return Timestamp::fromDateTime(QDateTime::fromString(v.toString(), Qt::ISODate));
}

StudySession fromJson(const QJsonObject &o)
{
    StudySession s;
    s.id = *Uuid::parse(o.value("id").toString());
    s.startedAt = fromIso(o.value("startedAt"));
    s.endedAt = fromIso(o.value("endedAt"));
    if (o.contains("taskName"))
        s.taskName = o.value("taskName").toString();
    s.plannedMinutes = o.value("plannedMinutes").toInteger();
    s.focusedSeconds = o.value("focusedSeconds").toInteger();
    s.reminderMinimumMinutes = o.value("reminderMinimumMinutes").toInteger();
    s.reminderMaximumMinutes = o.value("reminderMaximumMinutes").toInteger();
    s.microBreakSeconds = o.value("microBreakSeconds").toInteger();
    for (const QJsonValue &ev : o.value("events").toArray()) {
        const QJsonObject e = ev.toObject();
        const QByteArray kind = e.value("kind").toString().toLatin1();
        s.events.append(FocusEvent{*Uuid::parse(e.value("id").toString()), fromIso(e.value("date")),
                                   e.value("elapsedSeconds").toInteger(),
                                   *focusEventKindFromString(std::string_view(kind.constData(), size_t(kind.size())))});
    }
    s.startEnergy = o.value("startEnergy").toInteger();
    s.endEnergy = o.value("endEnergy").toInteger();
    s.focusRating = o.value("focusRating").toInteger();
    s.completed = o.value("completed").toBool();
    s.note = o.value("note").toString();
    return s;
}

// --- Benchmarks ----------------------------------------------------------------

void BM_SaveDocument(benchmark::State &state)
{
    auto &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(Persistence::save(f.path, f.data.settings, f.data.sessions));
    state.counters["MB"] = double(QFileInfo(f.path).size()) / 1e6;
}

void BM_SaveDocument_QJsonBaseline(benchmark::State &state)
{
    auto &f = fixture();
    for (auto _ : state) {
        QJsonArray sessions;
        for (const auto &s : f.data.sessions)
            sessions.append(toJson(s));
        QJsonObject root{{"sessions", sessions}, {"settings", QJsonObject{}}};
        QSaveFile out(f.baselinePath);
        out.open(QIODevice::WriteOnly);
        out.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
        out.commit();
    }
    state.counters["MB"] = double(QFileInfo(f.baselinePath).size()) / 1e6;
}

void BM_LoadDocument(benchmark::State &state)
{
    auto &f = fixture();
    for (auto _ : state) {
        auto r = Persistence::load(f.path);
        if (r.outcome != Persistence::LoadOutcome::loaded || r.data.sessions.size() != kSessions)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(r);
    }
}

void BM_LoadDocument_QJsonBaseline(benchmark::State &state)
{
    auto &f = fixture();
    for (auto _ : state) {
        QFile in(f.path);
        in.open(QIODevice::ReadOnly);
        const QJsonDocument doc = QJsonDocument::fromJson(in.readAll());
        QList<StudySession> sessions;
        for (const QJsonValue &v : doc.object().value("sessions").toArray())
            sessions.append(fromJson(v.toObject()));
        if (sessions.size() != kSessions)
            state.SkipWithError("baseline load failed");
        benchmark::DoNotOptimize(sessions);
    }
}

void BM_ExportCsv(benchmark::State &state)
{
    auto &f = fixture();
    const QString path = f.dir.filePath(QStringLiteral("export.csv"));
    for (auto _ : state)
        benchmark::DoNotOptimize(Persistence::writeCsv(path, f.data.sessions));
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}

} // namespace

BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SaveDocument_QJsonBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadDocument_QJsonBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK_MAIN();
