#include "cdcreator/burndrives.h"
#include "cdcreator/discrecordobj.h"

#include "tests/support/eventwait.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

// Without a drive (as on build machines) everything answers "no drive" at once.
TEST(LibburnDrives, NoDriveIsReportedCleanly)
{
    LibburnDrives drives;
    QString error;
    ASSERT_TRUE(drives.Initialize(&error)) << error.toStdString();
    const auto found = drives.Scan();
    EXPECT_FALSE(drives.Select(int(found.size()), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(drives.Select(-1, nullptr));
    EXPECT_TRUE(drives.WriteSpeeds().empty());
    EXPECT_EQ(drives.ReadDisc().state, 0);
    EXPECT_FALSE(drives.UnderrunProtection());
    WriteProgress progress;
    EXPECT_EQ(drives.CreateWriteJob(WriteRequest{}, progress), nullptr);
}

TEST(LibburnDrives, RecorderListsOnlyWhatLibburnFinds)
{
    DiscRecordObj recorder(std::make_unique<LibburnDrives>());
    QSignalSpy found(&recorder, &IDiscRecorder::DeviceFound);
    recorder.InitRecorder();
    recorder.ListDevices();
    ASSERT_TRUE(WaitUntil([&recorder] { return !recorder.scanning(); }, 30000));
    // Every reported writer can be asked for; one past the end cannot.
    EXPECT_FALSE(recorder.setDeviceIndex(found.count()));
    EXPECT_TRUE(recorder.setDeviceIndex(-1));
    QSignalSpy speeds(&recorder, &IDiscRecorder::SpeedFound);
    recorder.RefreshDevice();
    EXPECT_EQ(speeds.count(), int(DiscRecordObj::ImageSpeeds().size()));
}
