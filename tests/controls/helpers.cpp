#include "helpers.h"

#include <QBuffer>
#include <QImageWriter>

namespace testhelp {

QByteArray gifBytes(int screenWidth, int screenHeight, const std::vector<GifFrame>& frames)
{
    QByteArray g("GIF89a");
    auto u16 = [&](int v) {
        g.append(char(v & 0xFF));
        g.append(char((v >> 8) & 0xFF));
    };
    u16(screenWidth);
    u16(screenHeight);
    g.append(char(0x80)); // global colour table of two entries
    g.append(char(0));
    g.append(char(0));
    g.append(QByteArray::fromHex("ff0000" "0000ff"));
    for (const GifFrame& f : frames) {
        g.append(QByteArray::fromHex("21f904"));
        g.append(char(((f.disposal & 7) << 2) | (f.transparent ? 1 : 0)));
        u16(f.delay);
        g.append(char(0));
        g.append(char(0));
        g.append(char(0x2C));
        u16(f.x);
        u16(f.y);
        u16(1);
        u16(1);
        g.append(char(0));
        g.append(QByteArray::fromHex("0202440100")); // one pixel of colour 0
    }
    g.append(char(0x3B));
    return g;
}

QFont fixedFont()
{
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPointSize(9);
    return f;
}

QImage& device96()
{
    static QImage img = [] {
        QImage i(4, 4, QImage::Format_RGB32);
        i.setDotsPerMeterX(3780);
        i.setDotsPerMeterY(3780);
        return i;
    }();
    return img;
}

std::vector<const controls::MarkupOp*> Laid::of(controls::MarkupOp::Kind kind) const
{
    std::vector<const controls::MarkupOp*> out;
    for (const auto& op : layout.ops)
        if (op.kind == kind) out.push_back(&op);
    return out;
}

std::vector<const controls::MarkupOp*> Laid::texts() const { return of(controls::MarkupOp::Text); }

const controls::MarkupOp* Laid::text(const QString& run) const
{
    for (const auto* op : texts())
        if (op->text.contains(run)) return op;
    return nullptr;
}

Laid lay(const QString& markup, const QRect& bounds, controls::HTMLItemOptions options, const QFont& font)
{
    Laid l;
    controls::LayoutHTMLItem(&device96(), font, QColor(Qt::black), QColor(Qt::white), markup, bounds, options, l.result,
                             &l.layout);
    return l;
}

} // namespace testhelp
