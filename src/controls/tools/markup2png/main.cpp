// markup2png: renders an item markup string, or a list of items in a markup list box, to a PNG.
//
//   markup2png [options] -o out.png "markup"
//   markup2png [options] --list items.txt -o out.png
//
// Options: --width N, --height N (default: the item's height or 400 for a list), --font
// "Family,points", --select 0,2,5 (list rows), --item-height N, --wrap 0|1, --selected (a single
// item drawn selected), --screen (show the window and grab the screen, for a real display).
// Windows paths in items go through the drive table (QUORBEL_DRIVES); files named on the command
// line may be Windows or host paths.
#include "controls/htmlistbox.h"
#include "controls/markup.h"
#include "platform/drives.h"
#include "platform/files.h"

#include <QApplication>
#include <QBuffer>
#include <QRegularExpression>
#include <QCommandLineParser>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

// A file named on the command line: a Windows path as it stands, a host path through the drive
// table (Z: is "/" unless QUORBEL_DRIVES says otherwise).
QString programPath(const QString& arg)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    if (drive.match(arg).hasMatch()) return arg;
    return platform::toWindowsPath(arg); // relative host paths count from the current folder
}

bool savePng(const QImage& image, const QString& arg)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return false;
    const QString path = programPath(arg);
    if (path.isEmpty() || !platform::writeFileReplacing(path, bytes)) {
        std::fprintf(stderr, "markup2png: cannot write %s: %s\n", qPrintable(arg), qPrintable(platform::lastFileError()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bool screen = false;
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == "--screen") screen = true;
    if (!screen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser cl;
    cl.addHelpOption();
    cl.addPositionalArgument("markup", "the item markup");
    QCommandLineOption out({"o", "output"}, "PNG file to write", "file");
    QCommandLineOption width("width", "width in pixels", "n", "400");
    QCommandLineOption height("height", "height in pixels", "n", "0");
    QCommandLineOption font("font", "base font", "family,points", "DejaVu Sans,9");
    QCommandLineOption list("list", "file with one item per line (UTF-8), a Windows path", "file");
    QCommandLineOption select("select", "rows to select", "rows");
    QCommandLineOption itemHeight("item-height", "first estimate of the row height", "n", "70");
    QCommandLineOption wrap("wrap", "word wrap", "0|1", "1");
    QCommandLineOption selected("selected", "draw the single item selected");
    QCommandLineOption screenOpt("screen", "show the window and grab the screen");
    cl.addOptions({out, width, height, font, list, select, itemHeight, wrap, selected, screenOpt});
    cl.process(app);
    if (!cl.isSet(out)) {
        std::fprintf(stderr, "markup2png: -o is required\n");
        return 2;
    }
    const QStringList fontParts = cl.value(font).split(',');
    QFont base(fontParts.value(0), fontParts.value(1, "9").toInt());
    const int w = cl.value(width).toInt();
    int h = cl.value(height).toInt();

    if (cl.isSet(list)) {
        const auto bytes = platform::readFile(programPath(cl.value(list)), 16 * 1024 * 1024);
        if (!bytes) {
            std::fprintf(stderr, "markup2png: cannot read %s\n", qPrintable(cl.value(list)));
            return 1;
        }
        controls::THTMListBox box;
        box.setFont(base);
        box.setMultiSelect(true);
        box.setItemHeight(cl.value(itemHeight).toInt());
        box.resize(w, h > 0 ? h : 400);
        if (screen) {
            box.setWindowTitle("markup2png");
            box.show();
        }
        for (const QString& line : QString::fromUtf8(*bytes).split('\n', Qt::SkipEmptyParts))
            box.Items().Add(line.trimmed());
        for (const QString& row : cl.value(select).split(',', Qt::SkipEmptyParts)) box.setSelected(row.toInt(), true);
        if (!cl.value(select).isEmpty()) box.setItemIndex(cl.value(select).split(',').first().toInt());
        QImage image;
        if (screen) {
            box.move(0, 0);
            box.activateWindow();
            box.setFocus();
            QTimer::singleShot(500, &app, [&] {
                const QRect g = box.frameGeometry();
                image = box.screen()->grabWindow(0, g.x(), g.y(), g.width(), g.height()).toImage();
                app.quit();
            });
            app.exec();
        } else {
            image = box.grab().toImage();
        }
        return savePng(image, cl.value(out)) ? 0 : 1;
    }

    const QString text = cl.positionalArguments().join(' ');
    controls::THTMLPictureCache cache;
    controls::HTMLItemOptions opts;
    opts.PictureCache = &cache;
    opts.WordWrap = cl.value(wrap) != "0";
    opts.Selected = cl.isSet(selected);
    controls::HTMLItemResult res;
    QImage probe(1, 1, QImage::Format_RGB32);
    {
        QPainter p(&probe);
        p.setFont(base);
        opts.MeasureOnly = true;
        controls::DrawHTMLItem(p, text, QRect(0, 0, w, 100000), opts, res);
        opts.MeasureOnly = false;
    }
    if (h <= 0) h = res.ExtentY;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(opts.Selected ? platform::colorToQColor(platform::clHighlight) : QColor(Qt::white));
    QPainter p(&image);
    p.setFont(base);
    p.setPen(opts.Selected ? platform::colorToQColor(platform::clHighlightText) : QColor(Qt::black));
    controls::DrawHTMLItem(p, text, QRect(0, 0, w, h), opts, res);
    p.end();
    std::printf("ExtentX %d ExtentY %d anchors %d\n", res.ExtentX, res.ExtentY, res.AnchorCount);
    std::printf("PlainText %s\n", qPrintable(res.PlainText));
    return savePng(image, cl.value(out)) ? 0 : 1;
}
