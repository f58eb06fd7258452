// Renders the program's icon into a PNG of one size at build time, so that
// the desktop finds bitmaps beside the scalable icon without the build
// needing an SVG library. It reads only the part of SVG the icon uses: <rect>
// with rounded corners and <path> with the absolute commands M, L, H, V, C
// and Z, filled and stroked in plain colours. Anything else is refused, so a
// change to the icon that this reader would draw wrongly fails the build.
//
//   lexomat_render_icon ICON.svg SIZE OUTPUT.png

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QXmlStreamReader>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void fail(const QString &text)
{
    throw std::runtime_error(text.toStdString());
}

double number(const QXmlStreamAttributes &attributes, const QString &name, double fallback)
{
    if (!attributes.hasAttribute(name))
        return fallback;
    bool ok = false;
    const double value = attributes.value(name).toDouble(&ok);
    if (!ok)
        fail(u"attribute "_s + name + u" is not a number"_s);
    return value;
}

std::optional<QColor> paint(const QXmlStreamAttributes &attributes, const QString &name, const QString &fallback)
{
    const QString text = attributes.hasAttribute(name) ? attributes.value(name).toString() : fallback;
    if (text == u"none"_s)
        return std::nullopt;
    const QColor color = QColor::fromString(text);
    if (!color.isValid())
        fail(u"unknown colour "_s + text);
    return color;
}

// Path data: absolute commands only, numbers separated by blanks or commas.
QPainterPath pathData(const QString &data)
{
    QPainterPath path;
    qsizetype i = 0;
    const auto skipSeparators = [&] {
        while (i < data.size() && (data[i].isSpace() || data[i] == u','))
            ++i;
    };
    const auto next = [&]() -> double {
        skipSeparators();
        const qsizetype start = i;
        if (i < data.size() && (data[i] == u'-' || data[i] == u'+'))
            ++i;
        while (i < data.size() && (data[i].isDigit() || data[i] == u'.'))
            ++i;
        bool ok = false;
        const double value = data.mid(start, i - start).toDouble(&ok);
        if (!ok)
            fail(u"bad number in path data at "_s + QString::number(start));
        return value;
    };
    const auto numberFollows = [&] {
        skipSeparators();
        return i < data.size() && (data[i].isDigit() || data[i] == u'-' || data[i] == u'+' || data[i] == u'.');
    };

    QChar command;
    while (true) {
        skipSeparators();
        if (i >= data.size())
            break;
        if (data[i].isLetter())
            command = data[i++];
        else if (command.isNull())
            fail(u"path data starts without a command"_s);
        const QPointF current = path.currentPosition();
        switch (command.unicode()) {
        case u'M': {
            const double x = next();
            path.moveTo(x, next());
            command = u'L'; // further pairs are lines
            break;
        }
        case u'L': {
            const double x = next();
            path.lineTo(x, next());
            break;
        }
        case u'H':
            path.lineTo(next(), current.y());
            break;
        case u'V':
            path.lineTo(current.x(), next());
            break;
        case u'C': {
            double v[6];
            for (double &value : v)
                value = next();
            path.cubicTo(v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        }
        case u'Z':
            path.closeSubpath();
            command = QChar();
            continue;
        default:
            fail(u"path command "_s + command + u" is not supported"_s);
        }
        if (!numberFollows() && i < data.size() && !data[i].isLetter())
            fail(u"unexpected text in path data"_s);
    }
    return path;
}

QPen strokeOf(const QXmlStreamAttributes &attributes)
{
    const std::optional<QColor> color = paint(attributes, u"stroke"_s, u"none"_s);
    if (!color)
        return QPen(Qt::NoPen);
    QPen pen(*color, number(attributes, u"stroke-width"_s, 1.0));
    pen.setMiterLimit(4.0);
    const QString join = attributes.value(u"stroke-linejoin"_s).toString();
    pen.setJoinStyle(join == u"round"_s ? Qt::RoundJoin : join == u"bevel"_s ? Qt::BevelJoin : Qt::SvgMiterJoin);
    const QString cap = attributes.value(u"stroke-linecap"_s).toString();
    pen.setCapStyle(cap == u"round"_s ? Qt::RoundCap : cap == u"square"_s ? Qt::SquareCap : Qt::FlatCap);
    return pen;
}

QImage render(const QByteArray &svg, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QXmlStreamReader xml(svg);
    bool seenRoot = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringView name = xml.name();
        if (name == u"svg") {
            const QStringList box = attributes.value(u"viewBox"_s).toString().split(u' ', Qt::SkipEmptyParts);
            if (box.size() != 4)
                fail(u"the svg element needs a viewBox"_s);
            painter.scale(size / box[2].toDouble(), size / box[3].toDouble());
            painter.translate(-box[0].toDouble(), -box[1].toDouble());
            seenRoot = true;
            continue;
        }
        if (!seenRoot)
            fail(u"the document is not an svg"_s);
        QPainterPath shape;
        if (name == u"rect") {
            const QRectF rect(number(attributes, u"x"_s, 0), number(attributes, u"y"_s, 0),
                              number(attributes, u"width"_s, 0), number(attributes, u"height"_s, 0));
            const double rx = number(attributes, u"rx"_s, 0);
            shape.addRoundedRect(rect, rx, number(attributes, u"ry"_s, rx));
        } else if (name == u"path") {
            shape = pathData(attributes.value(u"d"_s).toString());
        } else {
            fail(u"element "_s + name.toString() + u" is not supported"_s);
        }
        shape.setFillRule(Qt::WindingFill);
        if (const std::optional<QColor> fill = paint(attributes, u"fill"_s, u"black"_s))
            painter.fillPath(shape, *fill);
        painter.strokePath(shape, strokeOf(attributes));
    }
    if (xml.hasError())
        fail(u"not well-formed XML: "_s + xml.errorString());
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fputs("usage: lexomat_render_icon ICON.svg SIZE OUTPUT.png\n", stderr);
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[3]);
    try {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly))
            fail(input + u": cannot be read"_s);
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[2]).toInt(&ok);
        if (!ok || size < 1 || size > 1024)
            fail(u"the size must be a number from 1 to 1024"_s);
        if (!render(file.readAll(), size).save(output, "PNG"))
            fail(output + u": cannot be written"_s);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "lexomat_render_icon: %s: %s\n", argv[1], error.what());
        return 1;
    }
    return 0;
}
