#pragma once
// The arithmetic of the video wizard: the seconds-per-picture text as a number, the estimated
// size of a video per mode, and the drive information the estimate is compared with.
#include <QChar>
#include <QString>
#include <optional>

namespace video {

enum class VideoMode { VCD, SVCD, HighQualityVCD, HighQualitySVCD };

// The seconds-per-picture text as a number: its first "." read as the decimal separator, as
// is a ","; nullopt for a text that is no number.
std::optional<double> DotToComma(const QString& text);

// The estimated size in MB of a video of pictures + 1 frames (the closing picture included:
// `pictureCountWithClosing` is N), s seconds per picture, f frames per second and t frames
// per transition.
qint64 EstimateMB(VideoMode mode, double s, int pictureCountWithClosing, int f, int t);

// What the wizard knows about the target drive.
struct DriveInfo {
    QChar letter;
    QString serialText;
    quint32 serial = 0;
    QString label;
    QString fileSystem;
    int driveType = 0;
    qint64 totalMB = 0;
    qint64 freeMB = 0;
};

// Bytes to MB as the wizard shows them: bytes / 1,000,000 / 1.024 / 1.024, halves to even.
qint64 BytesToMB(qint64 bytes);

// The serial number as Windows shows it: eight upper-case hexadecimal digits, high word first,
// with "-" after the fourth (1A2B-3C4D).
QString SerialText(quint32 serial);

// Fills the record for a drive letter; a character outside A..Z (either case) leaves it as it
// is. Sizes that cannot be read count as 0 MB.
void ReadDriveInfo(QChar letter, DriveInfo& info);

} // namespace video
