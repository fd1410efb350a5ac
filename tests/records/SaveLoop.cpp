// Saves one of two archives again and again until it is killed: the subject of the
// kill-at-random-moments test. Usage: save_loop <document> <sessions>
#include "ArchiveFactory.h"
#include "records/Persistence.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    using namespace tessary;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]);
    // "Old" and "new" differ in the settings and in the number of sessions, so a reader can
    // tell which one it got, and that it got all of it.
    AppSettings oldSettings = fixtures::richSettings();
    oldSettings.selectedDurationMinutes = 50;
    AppSettings newSettings = oldSettings;
    newSettings.selectedDurationMinutes = 51;
    const QList<StudySession> oldSessions = fixtures::makeArchive(count);
    QList<StudySession> newSessions = oldSessions;
    newSessions.removeLast();
    // Both versions are on disk once before "ready", which also tells how long one save takes
    // here, so that the killer can aim inside saves however slow the build is.
    QElapsedTimer timer;
    timer.start();
    if (!Persistence::save(path, oldSettings, oldSessions) || !Persistence::save(path, newSettings, newSessions))
        return 1;
    std::printf("ready %lld\n", timer.elapsed() / 2 + 1);
    std::fflush(stdout);
    for (unsigned i = 0;; ++i) {
        const bool isNew = i % 2 == 1;
        if (!Persistence::save(path, isNew ? newSettings : oldSettings, isNew ? newSessions : oldSessions))
            return 1;
    }
}
