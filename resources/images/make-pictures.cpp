// Draws Cofferly's own pictures: the banner strip, the side picture of the small dialogs
// and the tree icons. It is a maintainer's tool and is not part of the build; run
// make-pictures.sh beside it to regenerate every picture in this folder.
//
//   make-pictures <output folder>
//
// writes BannerImage.png, BannerFiller.png and SideImage.png (which the script turns into
// JPEG files), the Tree*.png icons, the light bulb of the tips window and the program icon.

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTransform>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// ---------------------------------------------------------------------------------------
// The palette: deep teal with a warm gold accent and an ivory for paper-like surfaces.

const QColor TealTop(0x16, 0x6e, 0x78);
const QColor TealBottom(0x0a, 0x43, 0x4e);
const QColor TealDeep(0x07, 0x33, 0x3c);
const QColor TealLight(0x3f, 0xa3, 0xa6);
const QColor Gold(0xe6, 0xb4, 0x4c);
const QColor GoldLight(0xf6, 0xd3, 0x7a);
const QColor GoldDark(0xb5, 0x82, 0x27);
const QColor Ivory(0xfb, 0xf6, 0xea);
const QColor IvoryShade(0xea, 0xdf, 0xc6);

QColor WithAlpha(QColor c, double alpha)
{
    c.setAlphaF(float(alpha));
    return c;
}

// ---------------------------------------------------------------------------------------
// The emblem: an ivory strongbox with gold bands and a coin going in through a slot in
// its lid. Drawn in a 100 x 100 box whose top-left corner is at `origin`; `size` scales it.

void DrawEmblem(QPainter& p, QPointF origin, double size, bool withShadow)
{
    p.save();
    p.translate(origin);
    p.scale(size / 100.0, size / 100.0);
    p.setPen(Qt::NoPen);

    if (withShadow) {
        QRadialGradient shadow(QPointF(50, 92), 46);
        shadow.setColorAt(0.0, WithAlpha(TealDeep, 0.55));
        shadow.setColorAt(1.0, WithAlpha(TealDeep, 0.0));
        p.save();
        p.translate(50, 92);
        p.scale(1.0, 0.16);
        p.translate(-50, -92);
        p.setBrush(shadow);
        p.drawEllipse(QPointF(50, 92), 46, 46);
        p.restore();
    }

    // The coin, clipped at the slot so that it looks half way in.
    const double slotY = 25.5;
    {
        p.save();
        p.setClipRect(QRectF(0, -20, 100, slotY + 20));
        const QPointF c(50, 13);
        const double r = 13.5;
        p.setBrush(GoldDark);
        p.drawEllipse(c, r, r);
        QLinearGradient face(c.x(), c.y() - r, c.x(), c.y() + r);
        face.setColorAt(0.0, GoldLight);
        face.setColorAt(1.0, Gold);
        p.setBrush(face);
        p.drawEllipse(c, r - 1.8, r - 1.8);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(WithAlpha(GoldDark, 0.85), 1.6));
        p.drawEllipse(c, r - 5.2, r - 5.2);
        p.setPen(Qt::NoPen);
        // A small highlight on the rim.
        p.setBrush(WithAlpha(Qt::white, 0.55));
        p.drawEllipse(QPointF(c.x() - 5.5, c.y() - 6.0), 2.2, 1.4);
        p.restore();
    }

    // The lid: a low dome.
    QPainterPath lid;
    lid.moveTo(6, 48);
    lid.lineTo(6, 38);
    lid.cubicTo(6, 24, 18, 20, 30, 20);
    lid.lineTo(70, 20);
    lid.cubicTo(82, 20, 94, 24, 94, 38);
    lid.lineTo(94, 48);
    lid.closeSubpath();

    // The body.
    QPainterPath body;
    body.addRoundedRect(QRectF(6, 46, 88, 40), 6, 6);
    QPainterPath bodyTop;
    bodyTop.addRect(QRectF(6, 46, 88, 10));
    body = body.united(bodyTop);

    QLinearGradient lidFill(0, 20, 0, 48);
    lidFill.setColorAt(0.0, Ivory);
    lidFill.setColorAt(1.0, IvoryShade);
    p.setBrush(lidFill);
    p.drawPath(lid);

    QLinearGradient bodyFill(0, 46, 0, 86);
    bodyFill.setColorAt(0.0, Ivory);
    bodyFill.setColorAt(1.0, IvoryShade);
    p.setBrush(bodyFill);
    p.drawPath(body);

    // Gold bands over lid and body.
    const QPainterPath chest = lid.united(body);
    p.save();
    p.setClipPath(chest);
    QLinearGradient band(0, 20, 0, 86);
    band.setColorAt(0.0, GoldLight);
    band.setColorAt(1.0, Gold);
    p.setBrush(band);
    p.drawRect(QRectF(19, 0, 9, 100));
    p.drawRect(QRectF(72, 0, 9, 100));
    // The rim between lid and body.
    p.setBrush(GoldDark);
    p.drawRect(QRectF(0, 45, 100, 7));
    p.setBrush(Gold);
    p.drawRect(QRectF(0, 45, 100, 4.5));
    // A soft shade at the bottom of the body.
    p.setBrush(WithAlpha(TealDeep, 0.10));
    p.drawRect(QRectF(0, 78, 100, 10));
    p.restore();

    // The slot in the lid.
    p.setBrush(TealDeep);
    p.drawRoundedRect(QRectF(33, slotY - 1.8, 34, 3.8), 1.9, 1.9);

    // The lock plate with its keyhole.
    QPainterPath plate;
    plate.addRoundedRect(QRectF(40, 41, 20, 24), 4, 4);
    p.setBrush(GoldDark);
    p.drawPath(plate);
    p.setBrush(Gold);
    p.drawRoundedRect(QRectF(41.5, 42.5, 17, 21), 3, 3);
    p.setBrush(TealDeep);
    p.drawEllipse(QPointF(50, 50.5), 3.2, 3.2);
    QPainterPath key;
    key.moveTo(48.2, 51.5);
    key.lineTo(51.8, 51.5);
    key.lineTo(52.6, 59.5);
    key.lineTo(47.4, 59.5);
    key.closeSubpath();
    p.drawPath(key);

    p.restore();
}

// A flat coin seen from the front, for the background decorations.
void DrawCoinOutline(QPainter& p, QPointF c, double r, double alpha)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(GoldLight, alpha), std::max(1.0, r / 9.0)));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(WithAlpha(GoldLight, alpha * 0.7), std::max(0.8, r / 14.0)));
    p.drawEllipse(c, r * 0.68, r * 0.68);
    p.restore();
}

// ---------------------------------------------------------------------------------------
// The banner. Its background is a purely vertical gradient; every decoration fades out
// well before the right edge, so the last column equals the filler that is stretched
// over the rest of the banner's width.

const int BannerWidth = 440;
const int BannerHeight = 90;

void PaintBannerBackground(QPainter& p, int width)
{
    QLinearGradient g(0, 0, 0, BannerHeight);
    g.setColorAt(0.0, TealTop);
    g.setColorAt(1.0, TealBottom);
    p.fillRect(QRect(0, 0, width, BannerHeight), g);
    // A fine gold rule along the bottom edge, with a dark line above it.
    p.fillRect(QRect(0, BannerHeight - 3, width, 1), WithAlpha(TealDeep, 0.8));
    p.fillRect(QRect(0, BannerHeight - 2, width, 2), Gold);
}

QImage MakeBannerFiller()
{
    QImage img(16, BannerHeight, QImage::Format_RGB32);
    QPainter p(&img);
    PaintBannerBackground(p, img.width());
    return img;
}

QImage MakeBanner()
{
    QImage img(BannerWidth, BannerHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    PaintBannerBackground(p, img.width());

    const QRectF field(0, 0, BannerWidth, BannerHeight - 3);
    p.save();
    p.setClipRect(field);

    // A soft light behind the emblem.
    QRadialGradient glow(QPointF(52, 40), 110);
    glow.setColorAt(0.0, WithAlpha(TealLight, 0.55));
    glow.setColorAt(0.55, WithAlpha(TealLight, 0.14));
    glow.setColorAt(1.0, WithAlpha(TealLight, 0.0));
    p.fillRect(field, glow);

    // Large faint coins drifting off to the right, fading out by x = 400.
    QImage deco(img.size(), QImage::Format_ARGB32_Premultiplied);
    deco.fill(Qt::transparent);
    {
        QPainter d(&deco);
        d.setRenderHint(QPainter::Antialiasing);
        DrawCoinOutline(d, QPointF(334, 66), 38, 0.15);
        DrawCoinOutline(d, QPointF(384, 14), 22, 0.12);
        DrawCoinOutline(d, QPointF(292, 12), 12, 0.11);
        DrawCoinOutline(d, QPointF(404, 70), 10, 0.09);
        d.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QLinearGradient fade(0, 0, BannerWidth, 0);
        fade.setColorAt(0.0, QColor(0, 0, 0, 0));
        fade.setColorAt(262.0 / BannerWidth, QColor(0, 0, 0, 0));
        fade.setColorAt(320.0 / BannerWidth, QColor(0, 0, 0, 255));
        fade.setColorAt(360.0 / BannerWidth, QColor(0, 0, 0, 255));
        fade.setColorAt(420.0 / BannerWidth, QColor(0, 0, 0, 0));
        fade.setColorAt(1.0, QColor(0, 0, 0, 0));
        d.fillRect(deco.rect(), fade);
    }
    p.drawImage(0, 0, deco);
    p.restore();

    DrawEmblem(p, QPointF(14, 9), 68, true);

    // The word mark.
    QFont title("DejaVu Sans", 10, QFont::Bold);
    title.setPixelSize(38);
    title.setLetterSpacing(QFont::AbsoluteSpacing, -0.6);
    title.setHintingPreference(QFont::PreferNoHinting);
    const QString name = QStringLiteral("Cofferly");
    const QPointF base(96, 49);
    QPainterPath text;
    text.addText(base, title, name);
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(TealDeep, 0.45));
    p.drawPath(text.translated(0, 1.5));
    QLinearGradient ink(0, base.y() - 28, 0, base.y());
    ink.setColorAt(0.0, Qt::white);
    ink.setColorAt(1.0, Ivory);
    p.setBrush(ink);
    p.drawPath(text);

    QFont tag("DejaVu Sans", 10);
    tag.setPixelSize(12);
    tag.setLetterSpacing(QFont::AbsoluteSpacing, 3.2);
    tag.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath tagText;
    tagText.addText(QPointF(99, 69), tag, QStringLiteral("HOME BUDGETING"));
    p.setBrush(GoldLight);
    p.drawPath(tagText);

    return img;
}

// ---------------------------------------------------------------------------------------
// The side picture of the small dialogs: 172 x 306, vertical composition.

QImage MakeSideImage()
{
    const int w = 172;
    const int h = 306;
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0.0, TealTop.lighter(108));
    g.setColorAt(0.6, TealBottom);
    g.setColorAt(1.0, TealDeep);
    p.fillRect(img.rect(), g);

    // A soft light behind the emblem.
    QRadialGradient glow(QPointF(86, 120), 130);
    glow.setColorAt(0.0, WithAlpha(TealLight, 0.60));
    glow.setColorAt(0.5, WithAlpha(TealLight, 0.16));
    glow.setColorAt(1.0, WithAlpha(TealLight, 0.0));
    p.fillRect(img.rect(), glow);

    // Faint coins around.
    DrawCoinOutline(p, QPointF(22, 34), 20, 0.13);
    DrawCoinOutline(p, QPointF(150, 58), 13, 0.12);
    DrawCoinOutline(p, QPointF(14, 206), 10, 0.10);
    DrawCoinOutline(p, QPointF(150, 238), 16, 0.10);

    // Two gentle hills at the bottom.
    QPainterPath back;
    back.moveTo(0, 246);
    back.cubicTo(50, 224, 112, 236, 172, 222);
    back.lineTo(172, h);
    back.lineTo(0, h);
    back.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(TealDeep, 0.35));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(0, 272);
    front.cubicTo(60, 250, 120, 278, 172, 258);
    front.lineTo(172, h);
    front.lineTo(0, h);
    front.closeSubpath();
    p.setBrush(WithAlpha(TealDeep, 0.55));
    p.drawPath(front);
    // A thin gold line riding on the front hill.
    QPainterPath ridge;
    ridge.moveTo(0, 272);
    ridge.cubicTo(60, 250, 120, 278, 172, 258);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(Gold, 0.55), 1.2));
    p.drawPath(ridge);
    p.setPen(Qt::NoPen);

    DrawEmblem(p, QPointF(30, 86), 112, true);

    // A small stack of coins beside the chest.
    for (int i = 0; i < 3; ++i) {
        const double y = 195 - i * 5.0;
        QRectF e(124, y - 4, 26, 9);
        p.setBrush(GoldDark);
        p.drawRoundedRect(QRectF(124, y, 26, 5), 1, 1);
        p.drawEllipse(e.translated(0, 4.5));
        p.setBrush(i == 2 ? GoldLight : Gold);
        p.drawEllipse(e);
    }

    // The word mark, quietly, on the dark ground at the bottom.
    QFont title("DejaVu Sans", 10, QFont::Bold);
    title.setPixelSize(21);
    title.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
    title.setHintingPreference(QFont::PreferNoHinting);
    const QString name = QStringLiteral("Cofferly");
    const double textWidth = QFontMetricsF(title).horizontalAdvance(name);
    QPainterPath text;
    text.addText(QPointF((w - textWidth) / 2.0, 294), title, name);
    p.setBrush(WithAlpha(Ivory, 0.92));
    p.drawPath(text);
    return img;
}

// ---------------------------------------------------------------------------------------
// Tree icons, 16 x 16 with transparency. Coordinates at .5 put 1-pixel lines on pixels.

const QColor Outline(0x3b, 0x2e, 0x14);
const QColor FolderOutline(0x8c, 0x62, 0x17);
const QColor FolderLight(0xfb, 0xdf, 0x8e);
const QColor FolderMid(0xf0, 0xc2, 0x55);
const QColor FolderBack(0xd9, 0xa2, 0x3b);
const QColor PageOutline(0x4a, 0x5d, 0x63);
const QColor InkTeal(0x1f, 0x7f, 0x88);
const QColor SteelLight(0x8f, 0xc8, 0xc9);
const QColor SteelDark(0x2b, 0x74, 0x7c);
const QColor SteelOutline(0x17, 0x45, 0x4b);

QImage NewIcon(int width = 16, int height = 16)
{
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void Begin(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
}

// The back of a folder with its tab.
void FolderBackShape(QPainter& p)
{
    QPainterPath back;
    back.moveTo(0.5, 13.5);
    back.lineTo(0.5, 3.0);
    back.quadTo(0.5, 2.5, 1.0, 2.5);
    back.lineTo(5.5, 2.5);
    back.lineTo(7.0, 4.0);
    back.lineTo(7.0, 4.5);
    back.lineTo(15.0, 4.5);
    back.quadTo(15.5, 4.5, 15.5, 5.0);
    back.lineTo(15.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(FolderOutline, 1.0));
    p.setBrush(FolderBack);
    p.drawPath(back);
}

// The front of a folder, from `top` down to the bottom edge.
void FolderFront(QPainter& p, double top)
{
    QPainterPath front;
    front.moveTo(0.5, 14.0);
    front.lineTo(0.5, top + 0.5);
    front.quadTo(0.5, top, 1.0, top);
    front.lineTo(15.0, top);
    front.quadTo(15.5, top, 15.5, top + 0.5);
    front.lineTo(15.5, 14.0);
    front.quadTo(15.5, 14.5, 15.0, 14.5);
    front.lineTo(1.0, 14.5);
    front.quadTo(0.5, 14.5, 0.5, 14.0);
    front.closeSubpath();
    QLinearGradient fill(0, top, 0, 14.5);
    fill.setColorAt(0.0, FolderLight);
    fill.setColorAt(1.0, FolderMid);
    p.setPen(QPen(FolderOutline, 1.0));
    p.setBrush(fill);
    p.drawPath(front);
    // The light edge just inside the top.
    p.setPen(QPen(WithAlpha(Qt::white, 0.75), 1.0));
    p.drawLine(QPointF(1.5, top + 1.0), QPointF(14.5, top + 1.0));
}

QImage MakeFolderClosed()
{
    QImage img = NewIcon();
    QPainter p(&img);
    Begin(p);
    FolderBackShape(p);
    FolderFront(p, 5.5);
    return img;
}

QImage MakeFolderDocument()
{
    QImage img = NewIcon();
    QPainter p(&img);
    Begin(p);
    FolderBackShape(p);
    // The page sticking out of the folder.
    p.setPen(QPen(PageOutline, 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 0.5, 10.0, 10.0));
    p.setPen(QPen(InkTeal, 1.0));
    p.drawLine(QPointF(5, 2.5), QPointF(12, 2.5));
    p.drawLine(QPointF(5, 4.5), QPointF(12, 4.5));
    p.setPen(QPen(WithAlpha(InkTeal, 0.6), 1.0));
    p.drawLine(QPointF(5, 6.5), QPointF(10, 6.5));
    FolderFront(p, 7.5);
    return img;
}

QImage MakeDocument()
{
    QImage img = NewIcon();
    QPainter p(&img);
    Begin(p);
    // The page with a folded corner.
    QPainterPath page;
    page.moveTo(2.5, 0.5);
    page.lineTo(10.0, 0.5);
    page.lineTo(13.5, 4.0);
    page.lineTo(13.5, 15.5);
    page.lineTo(2.5, 15.5);
    page.closeSubpath();
    p.setPen(QPen(PageOutline, 1.0));
    QLinearGradient fill(0, 0, 0, 16);
    fill.setColorAt(0.0, Qt::white);
    fill.setColorAt(1.0, QColor(0xee, 0xf3, 0xf3));
    p.setBrush(fill);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(9.5, 0.5);
    fold.lineTo(9.5, 4.5);
    fold.lineTo(13.5, 4.5);
    p.setBrush(QColor(0xd6, 0xe2, 0xe3));
    p.drawPath(fold);
    // Ledger rules, with a gold column rule for the amounts.
    p.setPen(QPen(InkTeal, 1.0));
    for (double y : {6.5, 8.5, 10.5, 12.5})
        p.drawLine(QPointF(4.0, y), QPointF(12.0, y));
    p.setPen(QPen(GoldDark, 1.0));
    p.drawLine(QPointF(9.5, 5.5), QPointF(9.5, 13.5));
    p.setPen(QPen(WithAlpha(InkTeal, 0.6), 1.0));
    p.drawLine(QPointF(4.0, 2.5), QPointF(8.0, 2.5));
    return img;
}

QImage MakeEnvelope()
{
    QImage img = NewIcon();
    QPainter p(&img);
    Begin(p);
    const QRectF r(0.5, 2.5, 15.0, 11.0);
    QLinearGradient fill(0, r.top(), 0, r.bottom());
    fill.setColorAt(0.0, Ivory);
    fill.setColorAt(1.0, QColor(0xf0, 0xe4, 0xc8));
    p.setPen(QPen(FolderOutline, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(r, 0.8, 0.8);
    // The lower folds.
    p.setPen(QPen(WithAlpha(FolderOutline, 0.55), 1.0));
    p.drawLine(QPointF(1.0, 13.0), QPointF(6.0, 8.5));
    p.drawLine(QPointF(15.0, 13.0), QPointF(10.0, 8.5));
    // The flap.
    QPainterPath flap;
    flap.moveTo(0.8, 2.8);
    flap.lineTo(8.0, 9.0);
    flap.lineTo(15.2, 2.8);
    p.setPen(QPen(FolderOutline, 1.0));
    p.setBrush(QColor(0xf4, 0xea, 0xd2));
    p.drawPath(flap);
    // A gold seal where the flap meets.
    p.setPen(Qt::NoPen);
    p.setBrush(GoldDark);
    p.drawEllipse(QPointF(8.0, 9.0), 2.3, 2.3);
    p.setBrush(GoldLight);
    p.drawEllipse(QPointF(8.0, 9.0), 1.3, 1.3);
    return img;
}

QImage MakeGear()
{
    QImage img = NewIcon();
    QPainter p(&img);
    Begin(p);
    const QPointF c(8.0, 8.0);
    const int teeth = 8;
    const double outer = 7.4;
    const double inner = 5.5;
    QPainterPath gear;
    for (int i = 0; i < teeth; ++i) {
        const double a = 2 * std::numbers::pi * i / teeth;
        const double step = 2 * std::numbers::pi / teeth;
        // Each tooth: flat top, sloping flanks.
        const double angles[] = { a - step * 0.30, a - step * 0.17, a + step * 0.17, a + step * 0.30 };
        const double radii[] = { inner, outer, outer, inner };
        for (int k = 0; k < 4; ++k) {
            const QPointF pt(c.x() + radii[k] * std::cos(angles[k]), c.y() + radii[k] * std::sin(angles[k]));
            if (i == 0 && k == 0)
                gear.moveTo(pt);
            else
                gear.lineTo(pt);
        }
        const double mid = a + step * 0.5;
        gear.lineTo(c.x() + inner * std::cos(mid), c.y() + inner * std::sin(mid));
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 2.2, 2.2);
    gear = gear.subtracted(hole);
    QLinearGradient fill(0, 1, 0, 15);
    fill.setColorAt(0.0, SteelLight);
    fill.setColorAt(1.0, SteelDark);
    p.setPen(QPen(SteelOutline, 1.0));
    p.setBrush(fill);
    p.drawPath(gear);
    // A gold hub ring around the hole.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Gold, 1.0));
    p.drawEllipse(c, 3.4, 3.4);
    return img;
}

QImage MakePerson()
{
    QImage img = NewIcon();
    QPainter p(&img);
    Begin(p);
    // Shoulders.
    QPainterPath body;
    body.moveTo(1.5, 15.5);
    body.lineTo(1.5, 13.5);
    body.cubicTo(1.5, 10.5, 4.0, 9.0, 8.0, 9.0);
    body.cubicTo(12.0, 9.0, 14.5, 10.5, 14.5, 13.5);
    body.lineTo(14.5, 15.5);
    body.closeSubpath();
    QLinearGradient shirt(0, 9, 0, 16);
    shirt.setColorAt(0.0, QColor(0x4f, 0xae, 0xb1));
    shirt.setColorAt(1.0, SteelDark);
    p.setPen(QPen(SteelOutline, 1.0));
    p.setBrush(shirt);
    p.drawPath(body);
    // A gold collar.
    QPainterPath collar;
    collar.moveTo(5.8, 9.6);
    collar.lineTo(8.0, 12.2);
    collar.lineTo(10.2, 9.6);
    p.setPen(QPen(Gold, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(collar);
    // Head.
    QRadialGradient face(QPointF(7.0, 4.0), 4.5);
    face.setColorAt(0.0, QColor(0xfb, 0xe3, 0xc4));
    face.setColorAt(1.0, QColor(0xe7, 0xbf, 0x92));
    p.setPen(QPen(QColor(0x7a, 0x52, 0x2c), 1.0));
    p.setBrush(face);
    p.drawEllipse(QPointF(8.0, 5.0), 3.5, 3.7);
    return img;
}

// ---------------------------------------------------------------------------------------
// The light bulb of the tips window, 48 x 64 with transparency: a warm glass globe with a
// glowing filament, a teal screw base and a few short rays around it.

QImage MakeBulb()
{
    QImage img = NewIcon(48, 64);
    QPainter p(&img);
    Begin(p);
    // Drawn 3 pixels down, so that the top ray stays inside the picture.
    p.translate(0, 3);
    const QPointF c(24, 22);

    // A soft halo behind the globe.
    QRadialGradient halo(c, 24);
    halo.setColorAt(0.0, WithAlpha(GoldLight, 0.55));
    halo.setColorAt(0.6, WithAlpha(GoldLight, 0.18));
    halo.setColorAt(1.0, WithAlpha(GoldLight, 0.0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(c, 24, 24);

    // Short rays, leaving out the bottom where the base sits.
    p.setPen(QPen(Gold, 2.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 7; ++i) {
        const double a = std::numbers::pi * (1.0 + i / 6.0);
        const QPointF dir(std::cos(a), std::sin(a));
        p.drawLine(c + dir * 19.0, c + dir * 23.0);
    }

    // The globe, narrowing into the neck.
    QPainterPath glass;
    glass.moveTo(17.5, 36);
    glass.cubicTo(17.5, 31, 10, 28, 10, 21);
    glass.cubicTo(10, 12.5, 16.5, 7, 24, 7);
    glass.cubicTo(31.5, 7, 38, 12.5, 38, 21);
    glass.cubicTo(38, 28, 30.5, 31, 30.5, 36);
    glass.closeSubpath();
    QRadialGradient fill(QPointF(21, 17), 18);
    fill.setColorAt(0.0, QColor(0xff, 0xfb, 0xe6));
    fill.setColorAt(0.45, GoldLight);
    fill.setColorAt(1.0, Gold);
    p.setPen(QPen(GoldDark, 1.2));
    p.setBrush(fill);
    p.drawPath(glass);

    // The filament on its two wires.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(GoldDark, 0.9), 1.0));
    p.drawLine(QPointF(21, 36), QPointF(20.5, 25));
    p.drawLine(QPointF(27, 36), QPointF(27.5, 25));
    QPainterPath coil;
    coil.moveTo(20.5, 25);
    for (int i = 0; i < 4; ++i)
        coil.quadTo(QPointF(22.0 + i * 1.75, i % 2 ? 27.5 : 22.5), QPointF(22.25 + i * 1.75, 25));
    coil.lineTo(27.5, 25);
    p.setPen(QPen(QColor(0xd9, 0x5b, 0x1e), 1.3));
    p.drawPath(coil);

    // A highlight on the glass.
    p.setPen(QPen(WithAlpha(Qt::white, 0.85), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(14, 11, 14, 16), 105 * 16, 55 * 16);

    // The screw base: three threads and a rounded tip.
    const QRectF neck(17, 36, 14, 3);
    p.setPen(QPen(SteelOutline, 1.0));
    p.setBrush(SteelDark);
    p.drawRoundedRect(neck, 1, 1);
    for (int i = 0; i < 3; ++i) {
        QLinearGradient thread(17, 0, 31, 0);
        thread.setColorAt(0.0, SteelDark);
        thread.setColorAt(0.45, SteelLight);
        thread.setColorAt(1.0, SteelDark);
        p.setBrush(thread);
        p.drawRoundedRect(QRectF(17.5, 39 + i * 4.0, 13, 4), 2, 2);
    }
    p.setBrush(TealDeep);
    p.drawChord(QRectF(20, 48, 8, 7), 180 * 16, 180 * 16);
    return img;
}

// The program's icon: the emblem alone, 48 x 48 with transparency.
QImage MakeProgramIcon()
{
    QImage img = NewIcon(48, 48);
    QPainter p(&img);
    Begin(p);
    DrawEmblem(p, QPointF(0, 2), 48, false);
    return img;
}

bool Save(const QImage& img, const QString& folder, const char* name)
{
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-pictures <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    ok &= Save(MakeBanner(), out, "BannerImage.png");
    ok &= Save(MakeBannerFiller(), out, "BannerFiller.png");
    ok &= Save(MakeSideImage(), out, "SideImage.png");
    ok &= Save(MakeFolderClosed(), out, "TreeFolderClosed.png");
    ok &= Save(MakeFolderDocument(), out, "TreeFolderDocument.png");
    ok &= Save(MakeDocument(), out, "TreeDocument.png");
    ok &= Save(MakeEnvelope(), out, "TreeEnvelope.png");
    ok &= Save(MakeGear(), out, "TreeGear.png");
    ok &= Save(MakePerson(), out, "TreePerson.png");
    ok &= Save(MakeBulb(), out, "TipBulb.png");
    ok &= Save(MakeProgramIcon(), out, "ProgramIcon.png");
    return ok ? 0 : 1;
}
