#pragma once
// Painting: fonts, text metrics and text, off-screen surfaces and bitmaps, the way the dialogs'
// paint code uses the phone's drawing calls. All objects free themselves (RAII).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/ui_types.h"

struct LOGFONT {
    std::u16string faceName;
    int height = 0;  // pixels of the character cell
    int weight = 400;
    bool italic = false;
};
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

struct TEXTMETRIC {
    int tmHeight = 0;
    int tmAveCharWidth = 0;
};

// The stock system font's description (GetStockObject(SYSTEM_FONT) + GetObject).
LOGFONT GetSystemLogFont();

class Font {
  public:
    struct Data;
    Font();
    ~Font();
    Font(Font&&) noexcept;
    Font& operator=(Font&&) noexcept;
    bool valid() const { return data_ != nullptr; }
    const Data* data() const { return data_.get(); }

  private:
    friend Font CreateFontIndirect(const LOGFONT& font);
    std::unique_ptr<Data> data_;
};
Font CreateFontIndirect(const LOGFONT& font);

// A picture: loaded from resources/images (by resource number) or from a file.
class Bitmap {
  public:
    struct Data;
    Bitmap();
    ~Bitmap();
    Bitmap(Bitmap&&) noexcept;
    Bitmap& operator=(Bitmap&&) noexcept;
    bool valid() const { return data_ != nullptr; }
    int width() const;
    int height() const;
    const Data* data() const { return data_.get(); }

  private:
    friend Bitmap LoadBitmapFile(std::u16string_view path);
    std::unique_ptr<Data> data_;
};
Bitmap LoadBitmapFile(std::u16string_view path);
// The bitmap resource of that number; invalid when the file is missing or unreadable.
Bitmap LoadBitmapResource(int id);

// A surface to draw on: a window being painted (BeginPaint), a window outside painting (GetDC,
// for metrics and measuring only) or an off-screen surface (CreateCompatibleSurface). Text is
// drawn in black without a background box, in the selected font (the window's font at first).
class DeviceContext {
  public:
    struct Data;
    DeviceContext();
    ~DeviceContext();
    DeviceContext(DeviceContext&&) noexcept;
    DeviceContext& operator=(DeviceContext&&) noexcept;
    bool valid() const { return data_ != nullptr; }

    // Selects a copy of font; null selects the surface's default font again.
    void SelectFont(const Font* font);
    TEXTMETRIC GetTextMetrics() const;
    // DT_CALCRECT measures into rect (right and bottom move) and draws nothing. Lines break at
    // "\n" unless DT_SINGLELINE; without DT_NOPREFIX "&x" underlines nothing but hides the "&"
    // and "&&" shows one. Returns the text's height, 0 on failure.
    int DrawText(std::u16string_view text, RECT& rect, std::uint32_t flags);
    void FillRect(const RECT& rect, std::uint32_t rgb);
    // The whole bitmap into dest, stretched.
    bool StretchBlt(const RECT& dest, const Bitmap& bitmap);
    // The bitmap unscaled with its top-left at (x, y); what falls outside is cut.
    bool BitBlt(int x, int y, const Bitmap& bitmap);
    // The source surface's (0, 0, width, height) to (x, y) here.
    bool BitBlt(int x, int y, int width, int height, const DeviceContext& source);

    Data* data() const { return data_.get(); }

  private:
    friend DeviceContext BeginPaint(HWND window);
    friend DeviceContext GetDC(HWND window);
    friend DeviceContext CreateCompatibleSurface(const DeviceContext& like, int width, int height);
    std::unique_ptr<Data> data_;
};

// Valid during the window's WM_PAINT; EndPaint is the end of its life.
DeviceContext BeginPaint(HWND window);
DeviceContext GetDC(HWND window);
// Invalid when the size is not positive or the memory cannot be had.
DeviceContext CreateCompatibleSurface(const DeviceContext& like, int width, int height);
