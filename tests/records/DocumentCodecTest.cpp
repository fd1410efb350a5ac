#include "ArchiveFactory.h"
#include "records/DocumentCodec.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace tessary;

namespace {

std::string readTestFile(const char *name)
{
    QFile f(QStringLiteral(TESSARY_TEST_DATA_DIR "/data/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

std::string encode(const PersistedData &d)
{
    std::string out;
    EXPECT_TRUE(encodeDocument(d, out));
    return out;
}

// The fixed document the golden file holds.
PersistedData goldenData()
{
    const auto id = [](const char *text) { return *Uuid::parse(std::string_view(text)); };
    const auto at = [](const char *iso) { return *Timestamp::parseIso8601(iso); };
    const StudySession s{
        .id = id("6B1D5C1E-3A77-4F2B-9C1D-0E2F3A4B5C6D"), .startedAt = at("2026-12-06T01:30:00Z"),
        .endedAt = at("2026-12-06T02:21:07Z").addMSecs(640), // the fraction is dropped on writing
        .taskName = QStringLiteral("高等数学"), .plannedMinutes = 50, .focusedSeconds = 2990,
        .reminderMinimumMinutes = 3, .reminderMaximumMinutes = 5, .microBreakSeconds = 10,
        .events = {{id("A0000000-0000-4000-8000-000000000001"), at("2026-12-06T01:34:10Z"), 250,
                    FocusEventKind::reminder},
                   {id("A0000000-0000-4000-8000-000000000002"), at("2026-12-06T01:40:00Z"), 590,
                    FocusEventKind::mindWander}},
        .startEnergy = 4, .endEnergy = 3, .focusRating = 5, .completed = true,
        .note = QStringLiteral("逗号, \"引号\"\n换行\t制表 \\ 反斜杠 \u0001")};
    StudySession older = s;
    older.id = id("6B1D5C1E-3A77-4F2B-9C1D-0E2F3A4B5C6E");
    older.taskName.reset();
    older.events.clear();
    older.completed = false;
    older.note.clear();
    return {fixtures::richSettings(), {s, older}};
}

} // namespace

TEST(DocumentEncoding, WritesTheGoldenDocumentAndReadsItBackToTheSameBytes)
{
    const std::string golden = readTestFile("golden.json");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(encode(goldenData()), golden);
    const auto decoded = decodeDocument(golden);
    ASSERT_TRUE(decoded.data) << decoded.error;
    EXPECT_EQ(encode(*decoded.data), golden);

    // A whole archive survives too, record for record.
    PersistedData big{fixtures::richSettings(), fixtures::makeArchive(300)};
    const auto back = decodeDocument(encode(big));
    ASSERT_TRUE(back.data) << back.error;
    EXPECT_EQ(*back.data, big);
}

// The golden document fixes the order of every named key; the volumes map holds names of
// any script, which sort by their UTF-8 bytes (in UTF-16 order the rain cloud, a surrogate
// pair, would come before the fullwidth A).
TEST(DocumentEncoding, SortsMapKeysByTheirUtf8Bytes)
{
    PersistedData d = goldenData();
    d.settings.ambientVolumes = QMap<QString, double>{
        {QStringLiteral("wind"), 0.1}, {QStringLiteral("brownNoise"), 1.0}, {QStringLiteral("乙"), 0.3},
        {QStringLiteral("birds"), 0.0}, {QStringLiteral("\U0001F327"), 0.2}, {QStringLiteral("\uFF21"), 0.4}};
    const std::string bytes = encode(d);
    std::size_t previous = 0;
    for (const std::string key : {"birds", "brownNoise", "wind", "乙", "\uFF21", "\U0001F327"}) {
        const auto at = bytes.find('"' + key + "\": ");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, previous) << key;
        previous = at;
    }
}

TEST(DocumentEncoding, LeavesAbsentOptionalsOutAndRefusesNonFiniteVolumes)
{
    PersistedData d;
    d.settings.ambientFollowsFocus.reset();
    d.settings.selectedTaskName.reset();
    d.sessions = {StudySession()};
    const std::string bytes = encode(d);
    EXPECT_EQ(bytes.find("ambientFollowsFocus"), std::string::npos);
    EXPECT_EQ(bytes.find("taskName\""), std::string::npos);
    EXPECT_EQ(bytes.find("\"selectedTaskName"), std::string::npos);

    d.settings.ambientMasterVolume = std::numeric_limits<double>::quiet_NaN();
    std::string out, error;
    EXPECT_FALSE(encodeDocument(d, out, &error));
    EXPECT_NE(error.find("ambientMasterVolume"), std::string::npos);
}

TEST(DocumentDecoding, OlderSettingsWithoutTheOptionalMembersStayWithoutThem)
{
    const std::string legacy = readTestFile("legacy-settings.json");
    const auto decoded = decodeDocument(legacy);
    ASSERT_TRUE(decoded.data) << decoded.error;
    const AppSettings &s = decoded.data->settings;
    EXPECT_FALSE(s.musicService || s.appearanceMode || s.floatingTimerOnMinimize || s.floatingSignalButtons
                 || s.taskNames || s.selectedTaskName || s.ambientSounds || s.ambientVolumes
                 || s.ambientMasterVolume || s.ambientFollowsFocus || s.pauseOnLock);
    EXPECT_FALSE(s.effectivePauseOnLock());
    EXPECT_TRUE(s.effectiveAmbientFollowsFocus());
    EXPECT_FLOAT_EQ(s.ambientLevels().master, 0.49f);
    EXPECT_EQ(s.effectiveMusicService(), MusicService::appleMusic);
    EXPECT_EQ(s.effectiveAppearanceMode(), AppearanceMode::dark);
    EXPECT_TRUE(s.effectiveFloatingTimerOnMinimize());
    EXPECT_FALSE(s.effectiveFloatingSignalButtons());
    EXPECT_DOUBLE_EQ(s.ambientVolume(AmbientSound::fire), 0.7);
    // The session without a task keeps no task, and writing it back adds nothing.
    ASSERT_EQ(decoded.data->sessions.size(), 1);
    EXPECT_FALSE(decoded.data->sessions.front().taskName);
    EXPECT_EQ(encode(*decoded.data), legacy);
}

// Also whole numbers written as decimals, which other writers produce.
TEST(DocumentDecoding, NullOptionalsReadAsAbsentUnknownKeysAreIgnoredAndDecimalWholesAccepted)
{
    std::string doc = readTestFile("legacy-settings.json");
    doc.replace(doc.find("\"autoPlayMusic\""), 0,
                "\"appearanceMode\": null, \"taskNames\": null, \"futureFeature\": {\"x\": [1, 2]}, ");
    doc.replace(doc.find("\"completed\""), 0, "\"taskName\": null, \"mood\": \"good\", ");
    doc.replace(doc.find("\"selectedDurationMinutes\": 50"), 29, "\"selectedDurationMinutes\": 5.0e1");
    const auto decoded = decodeDocument(doc);
    ASSERT_TRUE(decoded.data) << decoded.error;
    EXPECT_FALSE(decoded.data->settings.appearanceMode);
    EXPECT_FALSE(decoded.data->settings.taskNames);
    EXPECT_FALSE(decoded.data->sessions.front().taskName);
    EXPECT_EQ(decoded.data->settings.selectedDurationMinutes, 50);
}

// A member nobody reads is still held to the whole grammar, to its last byte; only its numbers
// may be ones no machine type holds, which JSON allows and a later version may write.
TEST(DocumentDecoding, UnknownMembersAreCheckedWholeButMayHoldAnyNumber)
{
    const std::string legacy = readTestFile("legacy-settings.json");
    const auto withMember = [&](const std::string &value) {
        std::string doc = legacy;
        doc.replace(doc.find("\"autoPlayMusic\""), 0, "\"future\": " + value + ", ");
        return decodeDocument(doc);
    };
    for (const char *good : {"1e400", "-123456789012345678901234567890", "-0.0e-0", "{\"a\": {\"b\": [1, 2.5E+3]}}",
                             "[[], {}, \"\\ud83d\\ude00\\n\", true, false, null]"})
        EXPECT_TRUE(withMember(good).data) << good;
    for (const std::string bad : {"01", "1.", ".5", "+1", "-", "1e", "0x10", "NaN", "Infinity", "'a'", "tru", "nul",
                                  "falsey", "[1 2]", "[1,]", "{\"a\" 1}", "{\"a\": 1,}", "{\"a\": 1 \"b\": 2}", "{1: 2}",
                                  "\"\\x\"", "\"\\ud800\"", "\"\\ud800\\u0041\"", "\"\\udc00\"", "\"a\tb\"",
                                  "{\"\\q\": 1}", "[[1], [2}"})
        EXPECT_FALSE(withMember(bad).data) << bad;
    EXPECT_TRUE(withMember(std::string(900, '[') + std::string(900, ']')).data);
    EXPECT_FALSE(withMember(std::string(1200, '[') + std::string(1200, ']')).data) << "deeper than any document of ours";
}

// Each mutation of a valid document must make the whole document fail.
TEST(DocumentDecoding, AnyBrokenPartFailsTheWholeDocument)
{
    const std::string legacy = readTestFile("legacy-settings.json");
    ASSERT_TRUE(decodeDocument(legacy).data);
    struct Case {
        const char *find;
        const char *replace;
    };
    const Case cases[] = {
        {"\"autoPlayMusic\": false,", ""},                                  // required settings key missing
        {"\"note\": \"\",", ""},                                            // required session key missing
        {"\"kind\": \"pause\"", "\"kind\": \"nap\""},                       // unknown event kind
        {"\"elapsedSeconds\": 600,", ""},                                  // event key missing
        {"\"musicSource\": \"整个资料库\"", "\"musicSource\": \"library\""}, // unknown enumeration string
        {"\"plannedMinutes\": 25", "\"plannedMinutes\": \"25\""},           // wrong JSON type
        {"\"plannedMinutes\": 25", "\"plannedMinutes\": 25.5"},             // not a whole number
        {"\"plannedMinutes\": 25", "\"plannedMinutes\": 9223372036854775808"}, // beyond int64
        {"\"plannedMinutes\": 25", "\"plannedMinutes\": 1e400"},            // huge number
        {"\"completed\": true", "\"completed\": 1"},                        // number for a bool
        {"\"completed\": true", "\"completed\": null"},                     // null for a required key
        {"\"note\": \"\"", "\"note\": 0"},
        {"\"2026-03-01T08:00:00Z\"", "\"2026-03-01T08:00:00.250Z\""},       // fractional seconds
        {"\"2026-03-01T08:00:00Z\"", "\"2026-03-01T08:00:00\""},            // no zone
        {"\"2026-03-01T08:00:00Z\"", "1772352000"},                         // a number for a date
        {"51F0C2A4-", "51F0C2A4"},                                          // malformed UUID
        {"\"sessions\": [", "\"sessions\": 5, \"old\": ["},                // wrong container
        {"\"settings\"", "\"settingz\""},                                   // root member missing
        // Optional members with the wrong type.
        {"\"autoPlayMusic\"", "\"appearanceMode\": \"sepia\", \"autoPlayMusic\""},
        {"\"autoPlayMusic\"", "\"ambientVolumes\": {\"rain\": \"loud\"}, \"autoPlayMusic\""},
        {"\"autoPlayMusic\"", "\"ambientSounds\": [\"rain\", 3], \"autoPlayMusic\""},
        {"\"autoPlayMusic\"", "\"ambientMasterVolume\": true, \"autoPlayMusic\""},
        {"\"autoPlayMusic\"", "\"taskNames\": \"Math\", \"autoPlayMusic\""},
        {"\"autoPlayMusic\"", "\"floatingSignalButtons\": \"yes\", \"autoPlayMusic\""},
    };
    for (const Case &c : cases) {
        std::string doc = legacy;
        const auto at = doc.find(c.find);
        ASSERT_NE(at, std::string::npos) << c.find;
        doc.replace(at, std::strlen(c.find), c.replace);
        const auto r = decodeDocument(doc);
        EXPECT_FALSE(r.data) << "accepted: " << c.find << " -> " << c.replace;
        EXPECT_FALSE(r.error.empty());
    }
}

TEST(DocumentDecoding, RefusesMalformedBytesWithoutCrashing)
{
    const std::string legacy = readTestFile("legacy-settings.json");
    std::string invalidUtf8 = legacy;
    invalidUtf8.replace(invalidUtf8.find("\"note\": \"\""), 10, "\"note\": \"\xC3\x28\"");
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    for (const std::string &bad : {legacy.substr(0, legacy.size() / 2), invalidUtf8, deep, std::string(),
                                   std::string("\0\0\0", 3), std::string("null"), std::string("[]"),
                                   std::string("{\"settings\": {}, \"sessions\": []}")})
        EXPECT_FALSE(decodeDocument(bad).data) << bad.substr(0, 40);
}
