#include "Alerts.h"
#include "FlacFile.h"
#include "Generator.h"
#include "Loops.h"
#include "Mastering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tessary::soundgen {
namespace {

class soundgen_Generator : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("tessary-soundgen-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path m_dir;
};

TEST_F(soundgen_Generator, WritesTheChosenSoundsAsFlacThatReadsBackAsRendered)
{
    GeneratorOptions options;
    options.outputDir = m_dir;
    options.seed = 11;
    options.loopSeconds = 2.5;
    options.only = {"stream", "Ping"};
    const auto reports = generate(options);
    ASSERT_EQ(reports.size(), 2u);

    int rate = 0;
    const auto loop = readSoundFile(m_dir / "Ambient" / "stream.flac", &rate);
    ASSERT_TRUE(loop);
    EXPECT_EQ(rate, kSampleRate);
    ASSERT_EQ(loop->channelCount(), 2);
    EXPECT_EQ(loop->frames(), std::size_t(2.5 * kSampleRate));
    const Buffer rendered = renderLoop(Loop::Stream, {11, std::size_t(2.5 * kSampleRate)});
    for (int ch = 0; ch < 2; ++ch)
        for (std::size_t i = 0; i < rendered.frames(); i += 101)
            ASSERT_NEAR(loop->channels[std::size_t(ch)][i], rendered.channels[std::size_t(ch)][i], 2.0 / 32768);

    const auto alert = readSoundFile(m_dir / "Ping.flac", &rate);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->channelCount(), 1);
    EXPECT_EQ(alert->frames(), renderAlert(Alert::Ping, 11).frames());

    // Only what was asked for, and no partial files left behind.
    std::size_t files = 0;
    for (const auto &e : std::filesystem::recursive_directory_iterator(m_dir))
        files += e.is_regular_file();
    EXPECT_EQ(files, 2u);
}

TEST_F(soundgen_Generator, TheDefaultSetIsEverySoundAtItsShippedPlace)
{
    ASSERT_EQ(allSoundNames().size(), 16u);
    EXPECT_EQ(soundPath("rain"), std::filesystem::path("Ambient/rain.flac"));
    EXPECT_EQ(soundPath("crickets"), std::filesystem::path("Ambient/crickets.flac"));
    EXPECT_EQ(soundPath("Glass"), std::filesystem::path("Glass.flac"));
    EXPECT_EQ(soundPath("beep"), std::filesystem::path("beep.flac"));
}

TEST_F(soundgen_Generator, RefusesBadRequestsBeforeWritingAnythingAndReportsAnUnwritableDirectory)
{
    GeneratorOptions options;
    options.outputDir = m_dir;
    options.only = {"rain", "thunder"};
    EXPECT_THROW(generate(options), std::invalid_argument);
    options.only = {"rain"};
    options.loopSeconds = 0.0;
    EXPECT_THROW(generate(options), std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(m_dir));

    std::filesystem::create_directories(m_dir);
    options.outputDir = m_dir / "blocked";
    options.only = {"beep"};
    options.loopSeconds.reset(); // a valid request: only the directory is wrong
    { std::ofstream(options.outputDir) << "a file where the directory should be"; }
    EXPECT_ANY_THROW(generate(options));
}

} // namespace
} // namespace tessary::soundgen
