#include "ui/drawing.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>

#include "ui/application.h"
#include "ui/drawing_internal.h"
#include "ui/ui_internal.h"

Font::Font() = default;
Font::~Font() = default;
Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;

Bitmap::Bitmap() = default;
Bitmap::~Bitmap() = default;
Bitmap::Bitmap(Bitmap&&) noexcept = default;
Bitmap& Bitmap::operator=(Bitmap&&) noexcept = default;
int Bitmap::width() const {
    return data_ ? data_->image.width() : 0;
}
int Bitmap::height() const {
    return data_ ? data_->image.height() : 0;
}

DeviceContext::DeviceContext() = default;
DeviceContext::~DeviceContext() = default;
DeviceContext::DeviceContext(DeviceContext&&) noexcept = default;
DeviceContext& DeviceContext::operator=(DeviceContext&&) noexcept = default;

LOGFONT GetSystemLogFont() {
    const QFont system = ui::SystemFont();
    return {ui::FromQString(system.family()), system.pixelSize(), FW_NORMAL, false};
}

Font CreateFontIndirect(const LOGFONT& description) {
    Font font;
    font.data_ = std::make_unique<Font::Data>();
    QFont& q = font.data_->font;
    q.setFamily(ui::ToQString(description.faceName));
    q.setPixelSize(std::max(1, description.height < 0 ? -description.height : description.height));
    // The platform's weights run 100..900 as the toolkit's do.
    q.setWeight(static_cast<QFont::Weight>(
        std::clamp(description.weight == 0 ? 400 : description.weight, 100, 900)));
    q.setItalic(description.italic);
    return font;
}

Bitmap LoadBitmapFile(std::u16string_view path) {
    Bitmap bitmap;
    QImage image(ui::ToQString(path));
    if (image.isNull()) return bitmap;
    bitmap.data_ = std::make_unique<Bitmap::Data>();
    bitmap.data_->image = std::move(image);
    return bitmap;
}

Bitmap LoadBitmapResource(int id) {
    QFile table(QStringLiteral(":/velloro/strings.json"));
    if (!table.open(QIODevice::ReadOnly)) return {};
    const QJsonArray bitmaps =
        QJsonDocument::fromJson(table.readAll()).object()["bitmaps"].toArray();
    for (const QJsonValue& v : bitmaps) {
        const QJsonObject o = v.toObject();
        if (o["id"].toInt() != id) continue;
        const QString path = QString::fromStdString(ResourceDir()) + "/" + o["file"].toString();
        return LoadBitmapFile(ui::FromQString(path));
    }
    return {};
}

namespace {

void Begin(DeviceContext::Data& d, QPaintDevice* device) {
    d.painter = std::make_unique<QPainter>(device);
    d.painter->setFont(d.font);
    d.painter->setPen(Qt::black);
    d.painter->setRenderHint(QPainter::TextAntialiasing);
}

// Without DT_NOPREFIX a single "&" marks a mnemonic and is not shown; "&&" shows one.
QString StripPrefixes(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size()) out += text[++i];
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace

DeviceContext BeginPaint(HWND window) {
    DeviceContext dc;
    QWidget* w = ui::ToWidget(window);
    if (w == nullptr) return dc;
    dc.data_ = std::make_unique<DeviceContext::Data>();
    dc.data_->defaultFont = dc.data_->font = w->font();
    auto* dialog = ui::ToDialog(window);
    if (dialog != nullptr && dialog->painting) {
        Begin(*dc.data_, w);
        dc.data_->painter->setClipRect(dialog->ClientRect());
    } else {
        // Outside a paint nothing reaches the screen; the context still measures.
        dc.data_->surface = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32_Premultiplied);
        Begin(*dc.data_, dc.data_->surface.get());
    }
    return dc;
}

DeviceContext GetDC(HWND window) {
    DeviceContext dc;
    QWidget* w = ui::ToWidget(window);
    if (w == nullptr) return dc;
    dc.data_ = std::make_unique<DeviceContext::Data>();
    dc.data_->defaultFont = dc.data_->font = w->font();
    dc.data_->surface = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32_Premultiplied);
    Begin(*dc.data_, dc.data_->surface.get());
    return dc;
}

DeviceContext CreateCompatibleSurface(const DeviceContext& like, int width, int height) {
    DeviceContext dc;
    if (!like.valid() || width <= 0 || height <= 0) return dc;
    auto image = std::make_unique<QImage>(width, height, QImage::Format_RGB32);
    if (image->isNull()) return dc;
    image->fill(Qt::white);
    dc.data_ = std::make_unique<DeviceContext::Data>();
    dc.data_->defaultFont = dc.data_->font = like.data_->defaultFont;
    dc.data_->surface = std::move(image);
    Begin(*dc.data_, dc.data_->surface.get());
    return dc;
}

void DeviceContext::SelectFont(const Font* font) {
    if (!data_) return;
    data_->font = (font != nullptr && font->valid()) ? ui::QFontOf(*font) : data_->defaultFont;
    data_->painter->setFont(data_->font);
}

TEXTMETRIC DeviceContext::GetTextMetrics() const {
    if (!data_) return {};
    const QFontMetrics fm(data_->font);
    return {fm.height(), fm.averageCharWidth()};
}

int DeviceContext::DrawText(std::u16string_view text, RECT& rect, std::uint32_t flags) {
    if (!data_) return 0;
    QString q = ui::ToQString(text);
    if ((flags & DT_NOPREFIX) == 0) q = StripPrefixes(q);
    const QFontMetrics fm(data_->font);
    QStringList lines;
    if ((flags & DT_SINGLELINE) != 0) {
        lines << QString(q).replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
    } else {
        lines = QString(q).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    }
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, fm.horizontalAdvance(line));
    const int height = fm.height() * static_cast<int>(lines.size());
    if ((flags & DT_CALCRECT) != 0) {
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
        return height;
    }
    int y = rect.top;
    if ((flags & DT_BOTTOM) != 0) {
        y = rect.bottom - height;
    } else if ((flags & DT_VCENTER) != 0) {
        y = rect.top + (rect.Height() - height) / 2;
    }
    data_->painter->save();
    data_->painter->setClipRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                                Qt::IntersectClip);
    for (const QString& line : lines) {
        int x = rect.left;
        if ((flags & DT_CENTER) != 0)
            x = rect.left + (rect.Width() - fm.horizontalAdvance(line)) / 2;
        data_->painter->drawText(x, y + fm.ascent(), line);
        y += fm.height();
    }
    data_->painter->restore();
    return height;
}

void DeviceContext::FillRect(const RECT& rect, std::uint32_t rgb) {
    if (!data_) return;
    data_->painter->fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                             QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
}

bool DeviceContext::StretchBlt(const RECT& dest, const Bitmap& bitmap) {
    if (!data_ || !bitmap.valid()) return false;
    data_->painter->drawImage(QRect(dest.left, dest.top, dest.Width(), dest.Height()),
                              bitmap.data()->image);
    return true;
}

bool DeviceContext::BitBlt(int x, int y, const Bitmap& bitmap) {
    if (!data_ || !bitmap.valid()) return false;
    data_->painter->drawImage(QPoint(x, y), bitmap.data()->image);
    return true;
}

bool DeviceContext::BitBlt(int x, int y, int width, int height, const DeviceContext& source) {
    if (!data_ || !source.data_ || !source.data_->surface) return false;
    data_->painter->drawImage(QPoint(x, y), *source.data_->surface, QRect(0, 0, width, height));
    return true;
}
