#include "CRecordingProfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The High profile for a 640 x 480 frame, line by line as the file must hold it.
const char* const kHigh640x480[] = {
    R"(<profile version="589824" storageformat="1" name="nrvl_wmv_plovites" description="">)",
    R"(    <streamconfig majortype="{73647561-0000-0010-8000-00AA00389B71}" streamnumber="2" streamname="Audio Stream" inputname="Audio409" bitrate="22008" bufferwindow="-1" reliabletransport="0" decodercomplexity="" rfc1766langid="en-us">)",
    R"(        <wmmediatype subtype="{00000161-0000-0010-8000-00AA00389B71}" bfixedsizesamples="1" btemporalcompression="0" lsamplesize="1022">)",
    R"(            <waveformatex wFormatTag="353" nChannels="2" nSamplesPerSec="22050" nAvgBytesPerSec="2751" nBlockAlign="1022" wBitsPerSample="16" codecdata="004400000F0000000000"/>)",
    R"(        </wmmediatype>)",
    R"(    </streamconfig>)",
    R"(    <streamconfig majortype="{73646976-0000-0010-8000-00AA00389B71}" streamnumber="1" streamname="Video Stream" inputname="Video409" bitrate="168000" bufferwindow="-1" reliabletransport="0" decodercomplexity="AU" rfc1766langid="en-us" vbrenabled="1" vbrquality="100" bitratemax="0" bufferwindowmax="0">)",
    R"(        <videomediaprops maxkeyframespacing="60000000" quality="80"/>)",
    R"(        <wmmediatype subtype="{33564D57-0000-0010-8000-00AA00389B71}" bfixedsizesamples="0" btemporalcompression="1" lsamplesize="0">)",
    R"(            <videoinfoheader dwbitrate="168000" dwbiterrorrate="0" avgtimeperframe="400000">)",
    R"(                <rcsource left="0" top="0" right="640" bottom="480"/>)",
    R"(                <rctarget left="0" top="0" right="640" bottom="480"/>)",
    R"(                <bitmapinfoheader biwidth="640" biheight="480" biplanes="1" bibitcount="24" bicompression="WMV3" bisizeimage="0" bixpelspermeter="0" biypelspermeter="0" biclrused="0" biclrimportant="0"/>)",
    R"(            </videoinfoheader>)",
    R"(        </wmmediatype>)",
    R"(    </streamconfig>)",
    R"(</profile>)",
};

QByteArray Utf16LE(const QString& text) {
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

class RecordingProfilesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path() const { return dir.path() + "/Norvane/Ravlin/wmv.prx"; }
};

} // namespace

TEST_F(RecordingProfilesTest, TemplatesAreUtf16WithMarkCrlfAndClosingNul) {
    for (int id : {162, 186, 187}) {
        QFile file(QStringLiteral(":/profiles/%1.prx").arg(id));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << id;
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("\xFF\xFE")) << id;
        EXPECT_TRUE(bytes.endsWith(QByteArray("\r\0\n\0\0\0", 6))) << id;
        const QString text = CRecordingProfiles::TemplateText(id == 162 ? 0 : id == 187 ? 1 : 2);
        EXPECT_EQ(text.count("\r\n"), 17) << id;
        EXPECT_EQ(text.count("\n"), 17) << "bare line feeds in " << id;
        EXPECT_EQ(text.count("{width}"), 3) << id;
        EXPECT_EQ(text.count("{height}"), 3) << id;
        EXPECT_FALSE(text.contains('\t')) << id;
    }
}

TEST_F(RecordingProfilesTest, WritesTheHighProfileFor640x480Exactly) {
    ASSERT_TRUE(CRecordingProfiles::WriteProfileFile(Path(), 0, QSize(640, 480)));
    QString expected;
    for (const char* line : kHigh640x480)
        expected += QString::fromUtf8(line) + "\r\n";
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // Plain UTF-16LE: no byte-order mark and no NUL at the end.
    EXPECT_EQ(file.readAll(), Utf16LE(expected));
}

TEST_F(RecordingProfilesTest, PresetsChooseTheirTemplateAndOthersGiveHigh) {
    struct Case {
        int preset;
        int resource;
        int soundStream, soundRate, soundBitrate;
        int pictureStream, pictureBitrate;
        std::int64_t frameInterval100ns;
        bool vbr;
        int picturePreset; // what the MP4 and WebM pictures take their quality from
    } cases[] = {
        {0, 162, 2, 22050, 22008, 1, 168000, 400000, true, 0},
        {1, 187, 1, 44100, 64040, 2, 204000, 1000000, false, 1},
        {2, 186, 1, 22050, 32048, 2, 130000, 1000000, false, 2},
        {3, 162, 2, 22050, 22008, 1, 168000, 400000, true, 0},
        {-1, 162, 2, 22050, 22008, 1, 168000, 400000, true, 0},
        {1000, 162, 2, 22050, 22008, 1, 168000, 400000, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        EXPECT_EQ(CRecordingProfiles::TemplateResource(c.preset), c.resource);
        ASSERT_TRUE(CRecordingProfiles::WriteProfileFile(Path(), c.preset, QSize(1024, 768)));
        const auto profile = CRecordingProfiles::LoadRecordingProfile(Path(), true);
        ASSERT_TRUE(profile && profile->sound && profile->picture);
        EXPECT_EQ(profile->sound->streamNumber, c.soundStream);
        EXPECT_EQ(profile->sound->sampleRate, c.soundRate);
        EXPECT_EQ(profile->sound->channels, 2);
        EXPECT_EQ(profile->sound->bitrate, c.soundBitrate);
        EXPECT_EQ(profile->picture->streamNumber, c.pictureStream);
        EXPECT_EQ(profile->picture->bitrate, c.pictureBitrate);
        EXPECT_EQ(profile->picture->frameInterval100ns, c.frameInterval100ns);
        EXPECT_EQ(profile->picture->variableBitrate, c.vbr);
        EXPECT_EQ(profile->picture->qualityPreset, c.picturePreset);
        EXPECT_EQ(profile->picture->width, 1024);
        EXPECT_EQ(profile->picture->height, 768);
    }
}

TEST_F(RecordingProfilesTest, WithoutSoundDeviceOnlyThePictureStreamStays) {
    for (int preset : {0, 1, 2}) {
        SCOPED_TRACE(preset);
        ASSERT_TRUE(CRecordingProfiles::WriteProfileFile(Path(), preset, QSize(640, 480)));
        const auto profile = CRecordingProfiles::LoadRecordingProfile(Path(), false);
        ASSERT_TRUE(profile);
        EXPECT_FALSE(profile->sound);
        ASSERT_TRUE(profile->picture);
        EXPECT_EQ(profile->picture->streamNumber, preset == 0 ? 1 : 2);
    }
}

TEST_F(RecordingProfilesTest, ReadsBackExactlyTheWrittenText) {
    // A region 0 x 200 is resolved to a frame size before the profile is written; whatever
    // size the frames have is the size the profile carries.
    for (QSize size : {QSize(640, 480), QSize(1920, 200), QSize(2, 2)}) {
        ASSERT_TRUE(CRecordingProfiles::WriteProfileFile(Path(), 1, size));
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        EXPECT_FALSE(bytes.contains(QByteArray("{\0w\0", 4)));
        bytes.append(2, '\0');
        EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData())),
                  CRecordingProfiles::FillTemplate(1, size));
        const auto profile = CRecordingProfiles::LoadRecordingProfile(Path(), true);
        ASSERT_TRUE(profile && profile->picture);
        EXPECT_EQ(QSize(profile->picture->width, profile->picture->height), size);
    }
}

TEST_F(RecordingProfilesTest, UnreadableOrBrokenFilesGiveNoProfile) {
    EXPECT_FALSE(CRecordingProfiles::LoadRecordingProfile(dir.path() + "/missing.prx", true));
    QFile broken(dir.path() + "/broken.prx");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(Utf16LE("<profile><streamconfig"));
    broken.close();
    EXPECT_FALSE(CRecordingProfiles::LoadRecordingProfile(broken.fileName(), true));
    // A folder that cannot be made (below a regular file) is reported, not ignored.
    EXPECT_FALSE(
        CRecordingProfiles::WriteProfileFile(broken.fileName() + "/sub/wmv.prx", 0, QSize(8, 8)));
}
