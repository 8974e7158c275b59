#include "videoestimate.h"

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/rounding.h"

namespace video {

std::optional<double> DotToComma(const QString& text)
{
    QString t = text.trimmed();
    const int dot = t.indexOf(u'.');
    if (dot >= 0) t[dot] = u',';
    // The framework reads the text with "," as its decimal separator: digits, one separator,
    // an optional sign in front.
    t.replace(u',', u'.');
    if (t.isEmpty() || t.count(u'.') > 1) return std::nullopt;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) continue;
        if (c == u'.') continue;
        if ((c == u'-' || c == u'+') && i == 0) continue;
        return std::nullopt;
    }
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok) return std::nullopt;
    return value;
}

qint64 EstimateMB(VideoMode mode, double s, int n, int f, int t)
{
    double mb = 0;
    switch (mode) {
    case VideoMode::VCD: mb = (s * 0.18 * n + n * 0.406) * 3; break;
    case VideoMode::SVCD: mb = (s * 0.18 * n + n * 1.106) * 3; break;
    case VideoMode::HighQualityVCD: mb = (s + 1) * 0.18 * n + (n * f * 0.05 + n * t * 0.05); break;
    case VideoMode::HighQualitySVCD: mb = (s + 1) * 0.18 * n + (n * f * 0.12 + n * t * 0.12); break;
    }
    return platform::roundHalfEven64(mb);
}

qint64 BytesToMB(qint64 bytes)
{
    if (bytes < 0) return 0;
    return platform::roundHalfEven64(double(bytes) / 1000000.0 / 1.024 / 1.024);
}

QString SerialText(quint32 serial)
{
    const QString hex = QStringLiteral("%1").arg(serial, 8, 16, QLatin1Char('0')).toUpper();
    return hex.left(4) + u'-' + hex.mid(4);
}

void ReadDriveInfo(QChar letter, DriveInfo& info)
{
    const QChar upper = letter.toUpper();
    if (upper < u'A' || upper > u'Z') return;
    info.letter = upper;
    // The volume that holds the drive's folder; a drive that cannot be queried leaves label,
    // serial and file system empty.
    const platform::VolumeInformation volume = platform::volumeInformation(upper);
    info.serial = volume.serial;
    info.serialText = volume.valid ? SerialText(volume.serial) : QString();
    info.label = volume.label.left(256);
    info.fileSystem = volume.fileSystem.left(256);
    const QString root = QString(upper) + QStringLiteral(":\\");
    info.driveType = platform::directoryExists(root) ? 3 : 1; // fixed drive, or no root folder
    info.totalMB = BytesToMB(platform::diskTotalBytes(root));
    info.freeMB = BytesToMB(platform::diskFreeBytes(root));
}

} // namespace video
