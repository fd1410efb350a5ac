#pragma once

#include "records/DocumentCodec.h"

namespace tessary::fixtures {

// A deterministic archive like a heavy user's: `count` sessions, newest first, one
// every ~4 hours going back from `newest`, each with `eventsPerSession` events,
// varied task names (some absent) and notes with commas, quotes and CJK text.
QList<StudySession> makeArchive(int count, int eventsPerSession = 10,
                                Timestamp newest = Timestamp::fromSecsSinceEpoch(1796000000),
                                unsigned seed = 7);

// Settings with every optional member present and non-default.
AppSettings richSettings();

} // namespace tessary::fixtures
