#pragma once

#include "sim/DrawSurface.h"

#include <optional>
#include <string>
#include <vector>

// A surface that remembers every drawing operation with the pen and font
// selected at that moment. With countOnly it just counts, for sweeps too big
// to keep.
class RecordingSurface : public DrawSurface {
public:
    enum class Kind { Move, Line, Text, Scaling, Origin, Marker };
    struct Op {
        Kind kind = Kind::Move;
        int x = 0;
        int y = 0;
        std::string text;
        std::optional<PenSpec> pen;   // empty: the surface's own pen
        std::optional<FontSpec> font; // empty: the surface's own font
        int ext[4] = {0, 0, 0, 0};
    };

    explicit RecordingSurface(bool countOnly = false) : m_countOnly(countOnly) {}

    std::vector<Op> ops;
    long long count = 0;
    int penChanges = 0;

    void MoveTo(int x, int y) override { Add(Make(Kind::Move, x, y)); }
    void LineTo(int x, int y) override { Add(Make(Kind::Line, x, y)); }
    void TextOut(int x, int y, std::string_view text) override {
        Add(Make(Kind::Text, x, y, std::string(text)));
    }
    DeviceExtent DeviceSize() const override { return {4800, 6600}; }
    void SetScaling(int wx, int wy, int vx, int vy) override {
        Op op = Make(Kind::Scaling);
        op.ext[0] = wx;
        op.ext[1] = wy;
        op.ext[2] = vx;
        op.ext[3] = vy;
        Add(op);
    }
    void SetViewportOrigin(int x, int y) override { Add(Make(Kind::Origin, x, y)); }
    void Marker(std::string text) { Add(Make(Kind::Marker, 0, 0, std::move(text))); }

    std::vector<Op> Of(Kind kind) const {
        std::vector<Op> out;
        for (const Op& op : ops)
            if (op.kind == kind)
                out.push_back(op);
        return out;
    }

protected:
    void ApplyPen(const PenSpec*) override { ++penChanges; }
    void ApplyFont(const FontSpec*) override {}

private:
    static Op Make(Kind kind, int x = 0, int y = 0, std::string text = {}) {
        Op op;
        op.kind = kind;
        op.x = x;
        op.y = y;
        op.text = std::move(text);
        return op;
    }
    void Add(Op op) {
        ++count;
        if (m_countOnly)
            return;
        if (const PenSpec* p = SelectedPen())
            op.pen = *p;
        if (const FontSpec* f = SelectedFont())
            op.font = *f;
        ops.push_back(std::move(op));
    }
    bool m_countOnly;
};
