#include "records/Timestamp.h"
#include "records/Uuid.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace tessary;

TEST(Timestamp, WritesWholeSecondUtcWithZ)
{
    EXPECT_EQ(Timestamp::fromSecsSinceEpoch(0).toIso8601(), "1970-01-01T00:00:00Z");
    EXPECT_EQ(Timestamp::fromSecsSinceEpoch(1796564114).toIso8601(), "2026-12-06T13:35:14Z");
    // The fraction is dropped, also before the epoch (floored, not truncated toward zero).
    EXPECT_EQ(Timestamp::fromMSecsSinceEpoch(1796564114999).toIso8601(), "2026-12-06T13:35:14Z");
    EXPECT_EQ(Timestamp::fromMSecsSinceEpoch(-1).toIso8601(), "1969-12-31T23:59:59Z");
    EXPECT_EQ(Timestamp::fromSecsSinceEpoch(951782400).toIso8601(), "2000-02-29T00:00:00Z");
}

TEST(Timestamp, ReadsTheInternetFormWithZoneDesignatorsAndItsOwnText)
{
    for (const char *same : {"2026-12-06T13:35:14Z", "2026-12-06T21:35:14+08:00", "2026-12-06T08:35:14-05:00"})
        EXPECT_EQ(Timestamp::parseIso8601(same), Timestamp::fromSecsSinceEpoch(1796564114)) << same;
    EXPECT_EQ(Timestamp::parseIso8601("2024-02-29T00:00:00Z"), Timestamp::fromSecsSinceEpoch(1709164800));
    // Its own text reads back across the four-digit years.
    for (std::int64_t s : {-62167219200LL, -1LL, 0LL, 86399LL, 1709164800LL, 253402300799LL}) {
        const auto t = Timestamp::fromSecsSinceEpoch(s);
        EXPECT_EQ(Timestamp::parseIso8601(t.toIso8601()), t) << s;
    }
}

TEST(Timestamp, RefusesEverythingButWholeSecondsWithAZone)
{
    for (const char *bad : {"2026-12-06T13:35:14.5Z", "2026-12-06T13:35:14", "2026-12-06 13:35:14Z",
                            "2026-12-06", "2026-13-06T13:35:14Z", "2026-02-29T00:00:00Z",
                            "2026-12-06T24:00:00Z", "2026-12-06T13:60:00Z", "2026-12-06T13:35:60Z",
                            "2026-12-06T13:35:14+0800", "2026-12-06T13:35:14+24:00", "2026-12-6T13:35:14Z",
                            "2026-12-06t13:35:14Z", "+2026-12-06T13:35:14Z", "", "2026-12-06T13:35:14z",
                            "2026-00-10T00:00:00Z", "2026-01-00T00:00:00Z", "20x6-01-01T00:00:00Z"})
        EXPECT_FALSE(Timestamp::parseIso8601(bad).has_value()) << bad;
}

TEST(Uuid, WritesUpperCaseAndReadsEitherCase)
{
    const auto u = Uuid::parse(std::string_view("0f8fad5b-d9cb-469f-a165-70867728950e"));
    ASSERT_TRUE(u);
    EXPECT_EQ(u->toStdString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(Uuid::parse(u->toStdString()), u);
    // The nil identifier is a value, not a refusal.
    const auto nil = Uuid::parse(std::string_view("00000000-0000-0000-0000-000000000000"));
    ASSERT_TRUE(nil);
    EXPECT_TRUE(nil->isNull());
}

TEST(Uuid, RefusesAnythingButTheHyphenatedForm)
{
    for (const char *bad : {"{0F8FAD5B-D9CB-469F-A165-70867728950E}", "0F8FAD5BD9CB469FA16570867728950E",
                            "0F8FAD5B-D9CB-469F-A165-70867728950", "0F8FAD5B-D9CB-469F-A165-70867728950G",
                            "0F8FAD5B-D9CB-469F-A16-570867728950E", "0F8FAD5B-D9CB-469F-A165-70867728950E ", "{0F8FAD5B-D9CB-469F-A165-70867728950}",
                            "00000000-0000-0000-0000-00000000000-",
                            "urn:uuid:0F8FAD5B-D9CB-469F-A165-7086772895"})
        EXPECT_FALSE(Uuid::parse(std::string_view(bad)).has_value()) << bad;
}

// The version bits are QUuid's; the byte order they land in is pinned by the parse test above.
TEST(Uuid, RandomOnesAreDistinct)
{
    QSet<QString> seen;
    for (int i = 0; i < 1000; ++i)
        seen.insert(Uuid::createRandom().toString());
    EXPECT_EQ(seen.size(), 1000);
}
