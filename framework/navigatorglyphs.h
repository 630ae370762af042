#pragma once

#include <QPixmap>

// The pictures of the navigator's buttons, drawn once in code: black shapes on a
// transparent ground, which the button greys out by itself while disabled.
namespace NavigatorGlyphs {

inline constexpr int kSize = 16;

enum Kind { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };

QPixmap glyph(Kind kind);

} // namespace NavigatorGlyphs
