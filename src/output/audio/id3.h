#pragma once
// Readers of the two tag kinds an MP3 file may carry: the 128-byte ID3v1 tag at its end and the
// ID3v2 tag at its start. The frame scanner needs the ID3v2 tag's size to find the first audio
// frame; the texts are kept for completeness, no window shows them.
#include <QString>
#include <cstdint>

namespace audio {

// The ID3v1 genre names, ids 0 to 147; empty for any other id.
QString ID3v1GenreName(int genreId);
inline constexpr int ID3v1GenreCount = 148;

class TID3v1 {
public:
    TID3v1() { ResetData(); }

    void ResetData();
    // Reads the tag at the end of the file. True when the file could be read, with or without
    // a tag; a file shorter than 128 bytes simply has none. False when it cannot be opened or read.
    bool ReadFromFile(const QString& fileName);

    bool Exists() const { return exists_; }
    int VersionID() const { return versionId_; } // 1 = ID3v1.0, 2 = ID3v1.1
    QString Title() const { return title_; }
    QString Artist() const { return artist_; }
    QString Album() const { return album_; }
    QString Year() const { return year_; }
    QString Comment() const { return comment_; }
    int Track() const { return track_; }
    int GenreID() const { return genreId_; }
    QString Genre() const { return ID3v1GenreName(genreId_); }

private:
    bool exists_ = false;
    int versionId_ = 1;
    QString title_, artist_, album_, year_, comment_;
    std::uint8_t track_ = 0;
    std::uint8_t genreId_ = 255;
};

class TID3v2 {
public:
    TID3v2() { ResetData(); }

    void ResetData();
    // Reads the tag at the start of the file. True when the file could be read, with or without
    // a tag; false when it cannot be opened or holds fewer than 10 bytes. Only the frames of
    // version 2.3 are decoded; for other versions exists and size are set alone.
    bool ReadFromFile(const QString& fileName);

    bool Exists() const { return exists_; }
    int VersionID() const { return versionId_; }
    // The whole tag including its 10-byte header; 0 when there is none or it claims more bytes
    // than the file holds.
    std::int64_t Size() const { return size_; }
    QString Title() const { return title_; }
    QString Artist() const { return artist_; }
    QString Album() const { return album_; }
    int Track() const { return track_; }
    QString Year() const { return year_; }
    QString Genre() const { return genre_; }
    QString Comment() const { return comment_; }

private:
    bool exists_ = false;
    int versionId_ = 0;
    std::int64_t size_ = 0;
    QString title_, artist_, album_, year_, genre_, comment_;
    int track_ = 0;
};

} // namespace audio
