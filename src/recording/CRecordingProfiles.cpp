#include "CRecordingProfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <tinyxml2.h>

#include <cstring>

namespace {

constexpr const char* kSoundType = "{73647561-0000-0010-8000-00AA00389B71}";
constexpr const char* kPictureType = "{73646976-0000-0010-8000-00AA00389B71}";

QString TextFromUtf16(const QByteArray& bytes) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                              bytes.size() / 2);
}

int IntAttribute(const tinyxml2::XMLElement* element, const char* name) {
    return element ? element->IntAttribute(name, 0) : 0;
}

} // namespace

int CRecordingProfiles::TemplateResource(int qualityPreset) {
    switch (qualityPreset) {
    case 1:
        return 187;
    case 2:
        return 186;
    default:
        return 162;
    }
}

QString CRecordingProfiles::TemplateText(int qualityPreset) {
    QFile file(QStringLiteral(":/profiles/%1.prx").arg(TemplateResource(qualityPreset)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    // The resource begins with the byte-order mark and ends with one NUL character.
    if (bytes.startsWith("\xFF\xFE"))
        bytes.remove(0, 2);
    QString text = TextFromUtf16(bytes);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

QString CRecordingProfiles::FillTemplate(int qualityPreset, const QSize& frameSize) {
    QString text = TemplateText(qualityPreset);
    text.replace(QStringLiteral("{width}"), QString::number(frameSize.width()));
    text.replace(QStringLiteral("{height}"), QString::number(frameSize.height()));
    return text;
}

QString CRecordingProfiles::ProfileFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Norvane/Ravlin/wmv.prx");
}

bool CRecordingProfiles::WriteProfileFile(const QString& path, int qualityPreset,
                                          const QSize& frameSize, QString* error) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("the folder \"%1\" cannot be made")
                         .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    const QString text = FillTemplate(qualityPreset, frameSize);
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        bytes[2 * i] = static_cast<char>(c & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(c >> 8);
    }
    QFile file(path);
    const bool wrote = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                       file.write(bytes) == bytes.size() && file.flush();
    if (!wrote && error)
        *error = file.errorString();
    return wrote;
}

std::optional<RecordingProfile> CRecordingProfiles::LoadRecordingProfile(const QString& path,
                                                                         bool hasAudio) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Two zero bytes past the end end the text even when the file has an odd length.
    QByteArray bytes = file.readAll();
    bytes.append(2, '\0');
    QString text = TextFromUtf16(bytes);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    std::optional<RecordingProfile> profile = ParseProfile(text);
    if (profile && !hasAudio)
        profile->sound.reset();
    return profile;
}

std::optional<RecordingProfile> CRecordingProfiles::ParseProfile(const QString& text) {
    tinyxml2::XMLDocument document;
    const QByteArray utf8 = text.toUtf8();
    if (document.Parse(utf8.constData(), utf8.size()) != tinyxml2::XML_SUCCESS)
        return std::nullopt;
    const tinyxml2::XMLElement* root = document.FirstChildElement("profile");
    if (!root)
        return std::nullopt;

    RecordingProfile profile;
    for (const tinyxml2::XMLElement* stream = root->FirstChildElement("streamconfig"); stream;
         stream = stream->NextSiblingElement("streamconfig")) {
        const char* majorType = stream->Attribute("majortype");
        if (!majorType)
            continue;
        const tinyxml2::XMLElement* mediaType = stream->FirstChildElement("wmmediatype");
        if (std::strcmp(majorType, kSoundType) == 0) {
            const tinyxml2::XMLElement* wave =
                mediaType ? mediaType->FirstChildElement("waveformatex") : nullptr;
            RecordingProfile::Sound sound;
            sound.streamNumber = IntAttribute(stream, "streamnumber");
            sound.bitrate = IntAttribute(stream, "bitrate");
            sound.sampleRate = IntAttribute(wave, "nSamplesPerSec");
            sound.channels = IntAttribute(wave, "nChannels");
            sound.blockAlign = IntAttribute(wave, "nBlockAlign");
            if (sound.sampleRate > 0 && sound.channels > 0)
                profile.sound = sound;
        } else if (std::strcmp(majorType, kPictureType) == 0) {
            const tinyxml2::XMLElement* header =
                mediaType ? mediaType->FirstChildElement("videoinfoheader") : nullptr;
            const tinyxml2::XMLElement* bitmap =
                header ? header->FirstChildElement("bitmapinfoheader") : nullptr;
            const tinyxml2::XMLElement* props = stream->FirstChildElement("videomediaprops");
            RecordingProfile::Picture picture;
            picture.streamNumber = IntAttribute(stream, "streamnumber");
            picture.bitrate = IntAttribute(stream, "bitrate");
            picture.width = IntAttribute(bitmap, "biwidth");
            picture.height = IntAttribute(bitmap, "biheight");
            picture.frameInterval100ns = header ? header->Int64Attribute("avgtimeperframe", 0) : 0;
            picture.maxKeyFrameSpacing100ns =
                props ? props->Int64Attribute("maxkeyframespacing", 0) : 0;
            picture.quality = IntAttribute(props, "quality");
            picture.variableBitrate = stream->IntAttribute("vbrenabled", 0) != 0;
            if (picture.width > 0 && picture.height > 0 && picture.frameInterval100ns > 0)
                profile.picture = picture;
        }
    }
    if (!profile.picture)
        return std::nullopt;
    const QSize frame(profile.picture->width, profile.picture->height);
    for (int preset : {1, 2})
        if (text == FillTemplate(preset, frame))
            profile.picture->qualityPreset = preset;
    return profile;
}
