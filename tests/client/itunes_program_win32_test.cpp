// ITUNES against the music player's stand-in under Wine: the object is created in the stand-in's
// local server through the registered class, and the stand-in's log shows every volume step.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/clienttiming.h"
#include "client/itunes.h"
#include "tests/support/playerprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::vector<int> Steps(int from, int to, int step)
{
    std::vector<int> values;
    for (int v = from; step < 0 ? v >= to : v <= to; v += step)
        values.push_back(v);
    values.push_back(to);
    return values;
}

class ITUNESTEST : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PLAYERPROCESS::Register());
        CLIENTTIMING::Set(CLIENTTIMING::ITUNESSTEP, 1);
        CLIENTTIMING::Set(CLIENTTIMING::ITUNESPLAY, 10);
        Log = Work.File("player.log");
    }
    void TearDown() override
    {
        Player.Stop();
        CLIENTTIMING::Reset();
    }
    TEMPFOLDER Work;
    std::string Log;
    PLAYERPROCESS Player;
};

} // namespace

TEST_F(ITUNESTEST, WithoutThePlayersWindowNothingConnects)
{
    ASSERT_EQ(FindWindowA("iTunes", nullptr), nullptr);
    ITUNES player;
    EXPECT_FALSE(player.ConnectToITunes());
    int previous = -7;
    EXPECT_FALSE(player.MuteITunesVolume(1, 40, previous));
    EXPECT_EQ(previous, -7);
    EXPECT_FALSE(player.RestoreITunesVolume(1, 100));
    EXPECT_EQ(player.DisconnectFromITunes(), 1);
}

TEST_F(ITUNESTEST, FadesDownInStepsOfFiveAndBackUp)
{
    ASSERT_TRUE(Player.Start(ITUNES::PLAYING, 100, Log));
    ITUNES player;
    ASSERT_TRUE(player.ConnectToITunes());
    int previous = -1;
    EXPECT_TRUE(player.MuteITunesVolume(0, 40, previous));
    EXPECT_EQ(previous, 100);
    EXPECT_EQ(Player.Logged("SoundVolume"), Steps(100, 40, -5));
    EXPECT_TRUE(Player.Logged("Pause").empty());

    EXPECT_TRUE(player.RestoreITunesVolume(0, previous));
    std::vector<int> expected = Steps(100, 40, -5);
    for (int v : Steps(40, 100, 5))
        expected.push_back(v);
    EXPECT_EQ(Player.Logged("SoundVolume"), expected);
    EXPECT_TRUE(Player.Logged("Play").empty());
    player.DisconnectFromITunes();

    // A second object connects again; the target is a percentage of the present volume.
    ITUNES again;
    ASSERT_TRUE(again.ConnectToITunes());
    EXPECT_TRUE(again.MuteITunesVolume(1, 25, previous));
    EXPECT_EQ(previous, 100);
    EXPECT_EQ(Player.Logged("SoundVolume").back(), 25);
    EXPECT_EQ(Player.Logged("Pause").size(), 1u);
    // Paused now: the play flag starts it before the fade.
    EXPECT_TRUE(again.RestoreITunesVolume(1, 60));
    EXPECT_EQ(Player.Logged("Play").size(), 1u);
    EXPECT_EQ(Player.Logged("SoundVolume").back(), 60);
}

TEST_F(ITUNESTEST, APausedPlayerOrAMutedOneIsNotFaded)
{
    struct CASE {
        int state, volume;
        int previous; // what the out value holds afterwards (-1: unchanged)
    } cases[] = {{ITUNES::STOPPED, 80, -1}, {ITUNES::PLAYING, 0, 0}};
    for (const CASE &c : cases) {
        ASSERT_TRUE(Player.Start(c.state, c.volume, Log)) << c.state;
        ITUNES player;
        ASSERT_TRUE(player.ConnectToITunes());
        int previous = -1;
        EXPECT_FALSE(player.MuteITunesVolume(0, 40, previous)) << c.state;
        EXPECT_EQ(previous, c.previous) << c.state;
        EXPECT_TRUE(Player.Logged("SoundVolume").empty()) << c.state;
        Player.Stop();
    }
}

TEST_F(ITUNESTEST, LevelsOutsideAHundredNeverRaiseTheVolume)
{
    ASSERT_TRUE(Player.Start(ITUNES::PLAYING, 50, Log));
    ITUNES player;
    ASSERT_TRUE(player.ConnectToITunes());
    int previous = 0;
    EXPECT_TRUE(player.MuteITunesVolume(0, 250, previous));
    EXPECT_EQ(Player.Logged("SoundVolume"), std::vector<int>({50, 50}));
}
