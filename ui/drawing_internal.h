#pragma once
// What the drawing objects hold on the toolkit's side.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <memory>

#include "ui/drawing.h"

struct Font::Data {
    QFont font;
};

struct Bitmap::Data {
    QImage image;
};

struct DeviceContext::Data {
    QFont defaultFont;
    QFont font;
    std::unique_ptr<QImage> surface;  // off-screen surfaces and measuring contexts
    std::unique_ptr<QPainter> painter;
};

namespace ui {
inline QFont QFontOf(const Font& font) {
    return font.data()->font;
}
}  // namespace ui
