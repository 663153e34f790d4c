// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

enum class PenStyle { Solid, Dash };

struct PenSpec {
    PenStyle style = PenStyle::Solid;
    int width = 1; // in the surface's logical units, so it follows a scaling mapping
    Rgb color;
    bool operator==(const PenSpec&) const = default;
};

// A font by family, cell height (logical units) and weight (400 normal).
struct FontSpec {
    std::string family;
    int cellHeight = 0;
    int weight = 400;
    bool operator==(const FontSpec&) const = default;
};

struct DeviceExtent {
    int width = 0;
    int height = 0;
};

// How much room a text takes in the selected font, in logical units from
// the point it is drawn at: its ink runs from `left` to `right`, and its line
// (the opaque box of TextOut) is `height` high.
struct TextExtent {
    double left = 0;
    double right = 0;
    int height = 0;
};

// Handles of the pens and fonts a surface has created. 0 stands for the pen or
// font the surface came with, which cannot be deleted.
using PenHandle = int;
using FontHandle = int;
inline constexpr int kOwnObject = 0;

// Create/select/delete bookkeeping shared by the pens and the fonts. Slots of
// deleted objects are reused, so a long session of redraws does not grow it.
template <typename Item> class SurfaceObjects {
public:
    int Create(const Item& desc) {
        for (size_t i = 0; i < m_slots.size(); ++i) {
            if (!m_slots[i]) {
                m_slots[i] = desc;
                return static_cast<int>(i) + 1;
            }
        }
        m_slots.push_back(desc);
        return static_cast<int>(m_slots.size());
    }
    // Null for the surface's own object and for handles that name nothing.
    const Item* Find(int handle) const {
        if (handle <= 0 || static_cast<size_t>(handle) > m_slots.size())
            return nullptr;
        const auto& slot = m_slots[static_cast<size_t>(handle) - 1];
        return slot ? &*slot : nullptr;
    }
    bool Valid(int handle) const { return handle == kOwnObject || Find(handle) != nullptr; }
    bool Delete(int handle) {
        if (Find(handle) == nullptr)
            return false;
        m_slots[static_cast<size_t>(handle) - 1].reset();
        return true;
    }

private:
    std::vector<std::optional<Item>> m_slots;
};

// What the plot draws on: the screen, an image, a printed page or a vector
// file. Coordinates are logical units; until a scaling mapping is set they
// are device pixels. Text is drawn with its top-left corner at the point, on
// an opaque background, in the surface's text colour (black on white).
class DrawSurface {
public:
    virtual ~DrawSurface() = default;

    PenHandle CreatePen(const PenSpec& desc) { return m_pens.Create(desc); }
    // Returns the pen selected before, so the caller can restore it. A handle
    // that names nothing changes nothing and returns the current pen.
    PenHandle SelectPen(PenHandle pen);
    // Refused (false) for the selected pen and for the surface's own pen.
    bool DeletePen(PenHandle pen);
    const PenSpec* SelectedPen() const { return m_pens.Find(m_pen); } // null: own pen

    FontHandle CreateFont(const FontSpec& desc) { return m_fonts.Create(desc); }
    FontHandle SelectFont(FontHandle font);
    bool DeleteFont(FontHandle font);
    const FontSpec* SelectedFont() const { return m_fonts.Find(m_font); } // null: own font

    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0; // from the current point, which moves along
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    // What TextOut of the same text would cover, so callers can keep texts
    // from running into each other.
    virtual TextExtent MeasureText(std::string_view text) const = 0;
    // Device pixels per logical unit of the display drawn for: 1 unless the
    // screen is scaled. Printing and export count as 1.
    virtual double DisplayScale() const { return 1; }

    // Printing: the page in device pixels, and an anisotropic scaling mapping
    // (one window unit is viewportExt / windowExt device pixels) whose logical
    // origin lands on the viewport origin, in device pixels.
    virtual DeviceExtent DeviceSize() const = 0;
    virtual void SetScaling(int windowExtX, int windowExtY, int viewportExtX, int viewportExtY) = 0;
    virtual void SetViewportOrigin(int x, int y) = 0;

protected:
    // The selection changed; null means the surface's own pen or font.
    virtual void ApplyPen(const PenSpec* pen) = 0;
    virtual void ApplyFont(const FontSpec* font) = 0;

private:
    SurfaceObjects<PenSpec> m_pens;
    SurfaceObjects<FontSpec> m_fonts;
    PenHandle m_pen = kOwnObject;
    FontHandle m_font = kOwnObject;
};

} // namespace orvane
