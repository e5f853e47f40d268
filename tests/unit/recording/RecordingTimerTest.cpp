#include "CRecordingTimer.h"

#include <gtest/gtest.h>

TEST(RecordingTimerTest, FormatsHoursMinutesSeconds) {
    struct Case {
        qint64 ms;
        const char* text;
    } cases[] = {{0, "00:00:00"},          {999, "00:00:00"},     {1000, "00:00:01"},
                 {83000, "00:01:23"},      {3599999, "00:59:59"}, {3600000, "01:00:00"},
                 {360000000, "100:00:00"}, {-5, "00:00:00"}};
    for (const Case& c : cases)
        EXPECT_EQ(CRecordingTimer::FormatHms(c.ms).toStdString(), c.text) << c.ms;
}

TEST(RecordingTimerTest, PausesAreLeftOutAndTheDotStaysLitWhilePaused) {
    qint64 now = 5000;
    CRecordingTimer timer([&now] { return now; });
    EXPECT_EQ(timer.TrayTip(), "Ravlin");
    EXPECT_FALSE(timer.DotLit());
    timer.Start();
    now += 400;
    EXPECT_TRUE(timer.DotLit());
    now += 200;
    EXPECT_FALSE(timer.DotLit());
    now += 4400; // 5 s recorded
    timer.Pause();
    timer.Pause(); // a second pause does not restart the paused time
    now += 3700;
    EXPECT_TRUE(timer.DotLit());
    EXPECT_EQ(timer.RecordedMs(), 5000);
    EXPECT_EQ(timer.TrayTip(), "Ravlin - paused 00:00:05");
    timer.Resume();
    timer.Resume();
    now += 2000;
    EXPECT_EQ(timer.RecordedMs(), 7000);
    EXPECT_EQ(timer.TrayTip(), "Ravlin - recording 00:00:07");
    // A new recording counts from nothing, whatever the last one paused.
    timer.Stop();
    EXPECT_EQ(timer.TrayTip(), "Ravlin");
    timer.Start();
    now += 1500;
    EXPECT_EQ(timer.RecordedMs(), 1500);
}
