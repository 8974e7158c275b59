// Makes the delivered data at build time.
//   quorbel_datagen text <source.utf8> <target>   a UTF-8 text file as Windows-1252 with CR LF;
//                                                 fails on a character outside the code page
//   quorbel_datagen pictures <folder>             draws the program's pictures into <folder>
#include "platform/textcodec.h"

#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

bool drawPictures(const QString& folder);

namespace {

int convertText(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(source));
        return 1;
    }
    QByteArray bytes = in.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes) {
        std::fprintf(stderr, "%s: not valid UTF-8\n", qPrintable(source));
        return 1;
    }
    const QStringList lines = platform::splitLines(text);
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!platform::fitsWindows1252(lines[i])) {
            std::fprintf(stderr, "%s:%lld: character outside Windows-1252\n", qPrintable(source), static_cast<long long>(i + 1));
            return 1;
        }
        out += platform::toWindows1252(lines[i]);
        out += "\r\n";
    }
    QSaveFile f(target);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(target));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("text")) return convertText(args[2], args[3]);
    if (args.size() == 3 && args[1] == QLatin1String("pictures")) return drawPictures(args[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: quorbel_datagen text <source> <target> | pictures <folder>\n");
    return 2;
}
