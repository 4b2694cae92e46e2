#include "controller/job_progress.h"

#include <gtest/gtest.h>

namespace mapvale::controller {
namespace {

class JobProgressTest : public ::testing::Test {
protected:
    DeviceEntry device_;
    ProgressTracker tracker_;
    const std::int64_t t0_ = 1715331600;
};

TEST_F(JobProgressTest, FirstDownloadMessageOnlyRecordsTheBase) {
    EXPECT_FALSE(OnDownloadProgress(device_, tracker_, false, false, 500, 10000, t0_));
    EXPECT_EQ(device_.download_start_time, t0_);
    EXPECT_EQ(tracker_.download_base, 500u);
    EXPECT_EQ(device_.download_percent, 0);
    EXPECT_EQ(device_.download_speed, 0);
}

TEST_F(JobProgressTest, OneUpdatePerSecondAndSpeedFromTheBase) {
    OnDownloadProgress(device_, tracker_, false, false, 1000, 101000, t0_);
    EXPECT_TRUE(OnDownloadProgress(device_, tracker_, false, false, 21000, 101000, t0_ + 4));
    EXPECT_EQ(device_.job_state, 5);
    EXPECT_DOUBLE_EQ(device_.download_speed, 5000.0);
    EXPECT_EQ(device_.remaining_download_seconds, 16);
    EXPECT_EQ(device_.download_percent, 20);
    // A second message in the same second changes nothing.
    EXPECT_FALSE(OnDownloadProgress(device_, tracker_, false, false, 91000, 101000, t0_ + 4));
    EXPECT_EQ(device_.download_percent, 20);
    // Seconds spent outside transfers are left out of the speed.
    device_.excluded_seconds = 2;
    EXPECT_TRUE(OnDownloadProgress(device_, tracker_, false, false, 41000, 101000, t0_ + 6));
    EXPECT_DOUBLE_EQ(device_.download_speed, 10000.0);
}

TEST_F(JobProgressTest, CardStagesHoldTheDownloadFigures) {
    OnDownloadProgress(device_, tracker_, true, false, 0, 1000, t0_);
    device_.job_state = 2;  // formatting the card
    EXPECT_TRUE(OnDownloadProgress(device_, tracker_, true, false, 500, 1000, t0_ + 5));
    EXPECT_EQ(device_.job_state, 2);
    EXPECT_EQ(device_.download_percent, 0);
    device_.job_state = 4;
    EXPECT_TRUE(OnDownloadProgress(device_, tracker_, true, true, 600, 1000, t0_ + 6));
    EXPECT_EQ(device_.job_state, 5);
    EXPECT_EQ(device_.download_percent, 60);
    // A zero total never divides.
    EXPECT_TRUE(OnDownloadProgress(device_, tracker_, true, true, 600, 0, t0_ + 7));
    EXPECT_EQ(device_.download_percent, 0);
}

TEST_F(JobProgressTest, SlowCopyShowsTheDownloadsRemainingTime) {
    device_.remaining_download_seconds = 777;
    EXPECT_FALSE(OnCopyProgress(device_, tracker_, 100, 100000, t0_));
    EXPECT_TRUE(OnCopyProgress(device_, tracker_, 2100, 100000, t0_ + 4));
    EXPECT_DOUBLE_EQ(device_.copy_speed, 500.0);  // below 1024 KB/s
    EXPECT_EQ(device_.remaining_copy_seconds, 777);
    EXPECT_EQ(device_.install_percent, 2);
    EXPECT_TRUE(OnCopyProgress(device_, tracker_, 50100, 100000, t0_ + 10));
    EXPECT_DOUBLE_EQ(device_.copy_speed, 5000.0);
    EXPECT_EQ(device_.remaining_copy_seconds, 9);
    EXPECT_EQ(device_.install_percent, 50);
    // Within the first three seconds of a copy nothing is estimated.
    ProgressTracker fresh;
    DeviceEntry other;
    OnCopyProgress(other, fresh, 10, 100, t0_);
    EXPECT_TRUE(OnCopyProgress(other, fresh, 50, 100, t0_ + 2));
    EXPECT_EQ(other.install_percent, 0);
    EXPECT_EQ(other.copy_speed, 0);
}

}  // namespace
}  // namespace mapvale::controller
