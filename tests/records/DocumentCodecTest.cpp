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
        .note = QStringLiteral("逗号, \"引号\"\n换行\t制表 \\ 反斜杠 \u0001"), .origin = {}, .edited = {}};
    StudySession older = s;
    older.id = id("6B1D5C1E-3A77-4F2B-9C1D-0E2F3A4B5C6E");
    older.taskName.reset();
    older.events.clear();
    older.completed = false;
    older.note.clear();
    return {fixtures::richSettings(), {s, older}, std::nullopt};
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
    EXPECT_NE(bytes.find("\"ambientVolumes\": {\n      \"birds\": 0,\n      \"brownNoise\": 1,\n      \"wind\": 0.1,\n"
                         "      \"乙\": 0.3,\n      \"\uFF21\": 0.4,\n      \"\U0001F327\": 0.2\n    }"),
              std::string::npos)
        << bytes;
}

// That absent optional members stay out is checked by writing the older document back below.
TEST(DocumentEncoding, RefusesNonFiniteVolumes)
{
    PersistedData d;
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
    // Written back byte for byte: no absent member (nor the session's task) gained a value.
    EXPECT_EQ(encode(*decoded.data), legacy);
    // What the absent members mean.
    const AppSettings &s = decoded.data->settings;
    EXPECT_FALSE(s.effectivePauseOnLock());
    EXPECT_TRUE(s.effectiveAmbientFollowsFocus());
    EXPECT_FLOAT_EQ(s.ambientLevels().master, 0.49f);
    EXPECT_EQ(s.effectiveMusicService(), MusicService::appleMusic);
    EXPECT_EQ(s.effectiveAppearanceMode(), AppearanceMode::dark);
    EXPECT_TRUE(s.effectiveFloatingTimerOnMinimize());
    EXPECT_FALSE(s.effectiveFloatingSignalButtons());
    EXPECT_DOUBLE_EQ(s.ambientVolume(AmbientSound::fire), 0.7);
}

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

// A member nobody reads may hold any JSON value, even numbers no machine type holds, which JSON
// allows and a later version may write.
TEST(DocumentDecoding, UnknownMembersMayHoldAnyJsonValue)
{
    std::string doc = readTestFile("legacy-settings.json");
    doc.replace(doc.find("\"autoPlayMusic\""), 0, "\"future\": @, ");
    for (const std::string &good : std::vector<std::string>{
             "1e400", "-123456789012345678901234567890", "-0.0e-0", "{\"a\": {\"b\": [1, 2.5E+3]}}",
             "[[], {}, \"\\ud83d\\ude00\\n\", true, false, null]", std::string(900, '[') + std::string(900, ']')})
        EXPECT_TRUE(decodeDocument(std::string(doc).replace(doc.find('@'), 1, good)).data) << good.substr(0, 40);
}

// Any broken part fails the whole document: a known member missing or of the wrong kind, an
// unknown member off the grammar (to its last byte, and no deeper than any document of ours),
// a document cut short, nested without end, or not UTF-8.
TEST(DocumentDecoding, AnyBrokenPartFailsTheWholeDocument)
{
    const std::string legacy = readTestFile("legacy-settings.json");
    ASSERT_TRUE(decodeDocument(legacy).data);
    std::vector<std::pair<std::string, std::string>> patches = { // find, replace by
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
        {"\"note\": \"\"", "\"note\": \"\xC3\x28\""},                       // not UTF-8
        {"\"2026-03-01T08:00:00Z\"", "\"2026-03-01T08:00:00.250Z\""},       // fractional seconds
        {"\"2026-03-01T08:00:00Z\"", "\"2026-03-01T08:00:00\""},            // no zone
        {"\"2026-03-01T08:00:00Z\"", "1772352000"},                         // a number for a date
        {"51F0C2A4-", "51F0C2A4"},                                          // malformed UUID
        {"\"sessions\": [", "\"sessions\": 5, \"old\": ["},                // wrong container
        {"\"settings\"", "\"settingz\""},                                   // root member missing
    };
    // Optional members with the wrong type, and unknown ones off the grammar.
    for (const char *member : {"\"appearanceMode\": \"sepia\"", "\"ambientVolumes\": {\"rain\": \"loud\"}",
                               "\"ambientSounds\": [\"rain\", 3]", "\"ambientMasterVolume\": true",
                               "\"taskNames\": \"Math\"", "\"floatingSignalButtons\": \"yes\""})
        patches.push_back({"\"autoPlayMusic\"", member + std::string(", \"autoPlayMusic\"")});
    for (const std::string &value : std::vector<std::string>{
             "01", "1.", ".5", "+1", "-", "1e", "0x10", "NaN", "Infinity", "'a'", "tru", "nul", "falsey", "[1 2]",
             "[1,]", "{\"a\" 1}", "{\"a\": 1,}", "{\"a\": 1 \"b\": 2}", "{1: 2}", "\"\\x\"", "\"\\ud800\"",
             "\"\\ud800\\u0041\"", "\"\\udc00\"", "\"a\tb\"", "{\"\\q\": 1}", "[[1], [2}",
             std::string(1200, '[') + std::string(1200, ']')})
        patches.push_back({"\"autoPlayMusic\"", "\"future\": " + value + ", \"autoPlayMusic\""});
    for (const auto &[find, replace] : patches) {
        std::string doc = legacy;
        const auto at = doc.find(find);
        ASSERT_NE(at, std::string::npos) << find;
        const auto r = decodeDocument(doc.replace(at, find.size(), replace));
        EXPECT_FALSE(r.data) << "accepted: " << find << " -> " << replace.substr(0, 60);
        EXPECT_FALSE(r.error.empty());
    }
    // Cut short, nested without end, and no document at all.
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    for (const std::string &bad : {legacy.substr(0, legacy.size() / 2), deep, std::string(), std::string("\0\0\0", 3),
                                   std::string("null"), std::string("[]"),
                                   std::string("{\"settings\": {}, \"sessions\": []}")})
        EXPECT_FALSE(decodeDocument(bad).data) << bad.substr(0, 40);
}
