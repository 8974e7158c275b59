#include "id3.h"

#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/textcodec.h"

#include <QByteArray>
#include <QIODevice>
#include <algorithm>
#include <array>

namespace audio {

namespace {

const std::array<const char*, ID3v1GenreCount> genreNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American",
    "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal",
    "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    // extensions
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progessive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A capella",
    "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Afro-Punk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "Synthpop",
};

// Trim of the platform: every character up to the blank (control characters included) goes.
QString trimRight(QString s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) <= QLatin1Char(' ')) --n;
    s.truncate(n);
    return s;
}

QString trimBoth(const QString& s)
{
    qsizetype from = 0;
    while (from < s.size() && s.at(from) <= QLatin1Char(' ')) ++from;
    return trimRight(s.mid(from));
}

// Tag bytes are characters of the Windows code page.
QString characters(const QByteArray& bytes, int offset, int length)
{
    return platform::fromWindows1252(bytes.mid(offset, length));
}

} // namespace

QString ID3v1GenreName(int genreId)
{
    if (genreId < 0 || genreId >= ID3v1GenreCount) return {};
    return QString::fromLatin1(genreNames[genreId]);
}

// ---------------------------------------------------------------------------------------------
// ID3v1

void TID3v1::ResetData()
{
    exists_ = false;
    versionId_ = 1;
    title_.clear();
    artist_.clear();
    album_.clear();
    year_.clear();
    comment_.clear();
    track_ = 0;
    genreId_ = 255;
}

bool TID3v1::ReadFromFile(const QString& fileName)
{
    ResetData();
    auto file = platform::openFile(fileName, QIODevice::ReadOnly);
    if (!file) return false;
    const qint64 size = file->size();
    if (size < 128) return true; // too short to carry a tag
    if (!file->seek(size - 128)) return false;
    const QByteArray tag = file->read(128);
    if (tag.size() != 128) return false;

    if (!tag.startsWith("TAG")) return true;
    exists_ = true;
    const char b125 = tag.at(125), b126 = tag.at(126);
    versionId_ = ((b125 == 0 && b126 != 0) || (b125 == ' ' && b126 != ' ')) ? 2 : 1;
    title_ = trimRight(characters(tag, 3, 30));
    artist_ = trimRight(characters(tag, 33, 30));
    album_ = trimRight(characters(tag, 63, 30));
    year_ = trimRight(characters(tag, 93, 4));
    if (versionId_ == 1) {
        comment_ = trimRight(characters(tag, 97, 30));
    } else {
        comment_ = trimRight(characters(tag, 97, 28));
        track_ = static_cast<std::uint8_t>(b126);
    }
    genreId_ = static_cast<std::uint8_t>(tag.at(127));
    return true;
}

// ---------------------------------------------------------------------------------------------
// ID3v2

void TID3v2::ResetData()
{
    exists_ = false;
    versionId_ = 0;
    size_ = 0;
    title_.clear();
    artist_.clear();
    album_.clear();
    year_.clear();
    genre_.clear();
    comment_.clear();
    track_ = 0;
}

bool TID3v2::ReadFromFile(const QString& fileName)
{
    ResetData();
    auto file = platform::openFile(fileName, QIODevice::ReadOnly);
    if (!file) return false;
    const qint64 fileSize = file->size();
    const QByteArray header = file->read(10);
    if (header.size() < 10) return false;
    if (!header.startsWith("ID3")) return true;

    const auto byte = [&](int i) { return static_cast<std::uint8_t>(header.at(i)); };
    exists_ = true;
    versionId_ = byte(3);
    // Four bytes of seven bits each, most significant first.
    size_ = (std::int64_t(byte(6) & 0x7F) << 21) + (std::int64_t(byte(7) & 0x7F) << 14)
        + (std::int64_t(byte(8) & 0x7F) << 7) + (byte(9) & 0x7F) + 10;
    if (size_ > fileSize) size_ = 0;
    if (versionId_ != 3 || size_ <= 0) return true;

    // The texts of the frames we decode, in this order.
    static const char* const ids[] = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"};
    constexpr int idCount = 7;
    QString texts[idCount];

    constexpr qint64 textLimit = 250; // a text frame contributes at most this many bytes
    qint64 pos = 10;
    while (pos < size_) {
        if (!file->seek(pos)) break;
        const QByteArray frame = file->read(10);
        if (frame.size() < 10) break;
        const qint64 frameSize = (qint64(std::uint8_t(frame.at(4))) << 24)
            | (qint64(std::uint8_t(frame.at(5))) << 16) | (qint64(std::uint8_t(frame.at(6))) << 8)
            | qint64(std::uint8_t(frame.at(7)));
        if (frame.at(0) == '\0') break; // the padding after the last frame
        const QByteArray id = frame.left(4);
        for (int i = 0; i < idCount; ++i) {
            if (id != ids[i]) continue;
            QByteArray buffer(textLimit, '\0');
            const QByteArray data = file->read(std::min(frameSize, textLimit));
            std::copy(data.begin(), data.end(), buffer.begin());
            texts[i] = platform::fromWindows1252(buffer);
            break;
        }
        pos += 10 + frameSize;
    }

    title_ = trimBoth(texts[0]);
    artist_ = trimBoth(texts[1]);
    album_ = trimBoth(texts[2]);
    const QString track = trimBoth(texts[3]);
    const qsizetype slash = track.indexOf(QLatin1Char('/'));
    track_ = platform::parseIntegerOr(slash >= 0 ? QStringView(track).first(slash) : QStringView(track), 0);
    year_ = trimBoth(texts[4]);
    genre_ = trimBoth(texts[5]);
    const qsizetype close = genre_.lastIndexOf(QLatin1Char(')'));
    if (close >= 0) genre_ = genre_.mid(close + 1);
    comment_ = trimBoth(texts[6].mid(4));
    return true;
}

} // namespace audio
