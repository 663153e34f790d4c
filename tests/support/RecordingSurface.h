// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/plot/DrawSurface.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// Remembers every drawing operation with the pen and font selected at that
// moment (empty: the surface's own); with countOnly it just counts, for
// sweeps too big to keep. Texts measure charWidth per character with one
// unit of bearing at either end, and the selected font's cell height (the
// surface's own font: ownFontHeight), like a fixed-pitch face.
class RecordingSurface : public DrawSurface {
public:
    enum class Kind { Move, Line, Text, Scaling, Origin };
    struct Op {
        Kind kind = Kind::Move;
        int x = 0;
        int y = 0;
        std::string text;
        std::optional<PenSpec> pen;
        std::optional<FontSpec> font;
        std::array<int, 4> ext{}; // of SetScaling
    };

    explicit RecordingSurface(bool countOnly = false) : m_countOnly(countOnly) {}

    std::vector<Op> ops;
    long long count = 0;
    double charWidth = 6;
    int ownFontHeight = 16;

    void MoveTo(int x, int y) override { Add(Kind::Move, x, y); }
    void LineTo(int x, int y) override { Add(Kind::Line, x, y); }
    void TextOut(int x, int y, std::string_view text) override {
        Add(Kind::Text, x, y, std::string(text));
    }
    TextExtent MeasureText(std::string_view text) const override {
        const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        });
        const FontSpec* font = SelectedFont();
        return {1, charWidth * static_cast<double>(characters) - 1,
                font ? font->cellHeight : ownFontHeight};
    }
    DeviceExtent DeviceSize() const override { return {4800, 6600}; }
    void SetScaling(int wx, int wy, int vx, int vy) override {
        Add(Kind::Scaling, 0, 0, {}, {wx, wy, vx, vy});
    }
    void SetViewportOrigin(int x, int y) override { Add(Kind::Origin, x, y); }

    std::vector<Op> Of(Kind kind) const {
        std::vector<Op> out;
        std::copy_if(ops.begin(), ops.end(), std::back_inserter(out),
                     [kind](const Op& op) { return op.kind == kind; });
        return out;
    }

protected:
    void ApplyPen(const PenSpec*) override {}
    void ApplyFont(const FontSpec*) override {}

private:
    void Add(Kind kind, int x, int y, std::string text = {}, std::array<int, 4> ext = {}) {
        ++count;
        if (m_countOnly)
            return;
        const PenSpec* pen = SelectedPen();
        const FontSpec* font = SelectedFont();
        ops.push_back({kind, x, y, std::move(text), pen ? std::optional(*pen) : std::nullopt,
                       font ? std::optional(*font) : std::nullopt, ext});
    }
    bool m_countOnly;
};

} // namespace orvane
