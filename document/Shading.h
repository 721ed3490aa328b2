// The shaded copy of the document that the view paints during trim mode: every pixel outside the
// trim rectangle goes through the shade table channel by channel, the pixels inside are copied as
// they are. Works on 24-bit bottom-up buffers with rows padded to 4 bytes; the rectangle counts rows
// from the top.
#pragma once

#include <cstdint>

#include "document/Document.h"
#include "trim/Perspective.h"

// The two buffers of one image: the base (the rectified copy when there is one, else the source)
// and the shaded buffer that is written. Same size and stride; they must not alias.
struct ShadeImage {
    const std::uint8_t* base = nullptr;
    std::uint8_t* shaded = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The document's pair: the trim's rectified copy when there is one (null otherwise), else the
// source, and the shaded copy.
ShadeImage ShadeImageOf(const Document& document, const std::uint8_t* rectified);

// What the shaded buffer shows now, so that a rectangle change recomputes only the pixels that
// changed sides.
struct ShadeState {
    bool valid = false;  // false: the next reshade rebuilds the whole buffer
    const std::uint8_t* base = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    TrimRect rect;
    std::uint8_t table[256] = {};
};

// The whole shaded buffer from the base.
void RebuildShading(const ShadeImage& image, const TrimRect& rect, const std::uint8_t table[256]);

// Brings the shaded buffer to `rect`: a whole rebuild when the state is not valid or the base
// buffer, its size or the table differ from the last ones; otherwise only the pixels inside the old or the new
// rectangle but not both are rewritten. The result is the same as RebuildShading's.
void Reshade(ShadeState& state, const ShadeImage& image, const TrimRect& rect, const std::uint8_t table[256]);

// The base's pixels changed in place (a perspective render finished, a fresh rectified copy was
// made): the next Reshade rebuilds everything.
inline void InvalidateShading(ShadeState& state) { state.valid = false; }

// End of trim mode: the shaded buffer becomes a plain copy of the base again.
void ClearShading(ShadeState& state, const ShadeImage& image);
