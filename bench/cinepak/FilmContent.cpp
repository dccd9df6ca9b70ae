#include "bench/cinepak/FilmContent.h"

#include <array>
#include <cmath>
#include <numbers>

#include "bench/cinepak/Procedural.h"

namespace cinepak_bench {

namespace {

// Shots are drawn on a 240 x 160 canvas, whatever the picture's size.
constexpr double kCanvasWidth = 240;
constexpr double kCanvasHeight = 160;

// 1 inside the ellipse, 0 outside, with an edge about `soft` pixels wide.
double EllipseMask(double x, double y, double cx, double cy, double rx, double ry, double soft = 1) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    const double outside = (std::sqrt(dx * dx + dy * dy) - 1) * std::min(rx, ry);
    return 1 - SmoothStep(-soft, soft, outside);
}

double Gaussian(double dx, double dy, double sigma) { return std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma)); }

struct Light {
    double x, y, z;  // towards the light, unit length
    double ambient;
};

Light MakeLight(double x, double y, double z, double ambient) {
    const double length = std::sqrt(x * x + y * y + z * z);
    return {x / length, y / length, z / length, ambient};
}

struct Face {
    double cx, cy, rx, ry;
    Rgb skin, hair, shirt;
    Light light;
    double blink = 0;  // 0 open, 1 shut
    double gaze = 0;   // iris offset, in head widths
    uint32_t seed = 1;
};

// A head as an ellipsoid lit by one light: eyes, brows, nose shade, lips, hair over the top, a
// neck and shoulders below. Returns the colour over `under`.
Rgb DrawPerson(const Face& f, double x, double y, const Rgb& under) {
    const double dx = (x - f.cx) / f.rx, dy = (y - f.cy) / f.ry;
    const double r2 = dx * dx + dy * dy;
    const double nz = std::sqrt(std::max(0.0, 1 - r2));
    const double lambert = std::max(0.0, dx * f.light.x + dy * f.light.y + nz * f.light.z);
    const double lit = f.light.ambient + (1 - f.light.ambient) * lambert;
    // Across the body the light falls off to the side away from it.
    const double bodyLit = f.light.ambient + (1 - f.light.ambient) * SmoothStep(-1.8, 1.8, dx * f.light.x * 2 + 0.4);

    Rgb colour = under;
    // Shoulders widen below the chin; the neck joins them to the head.
    const double shoulderTop = f.cy + 0.8 * f.ry;
    if (y > shoulderTop) {
        const double halfWidth = 0.45 * f.rx + (y - shoulderTop) * 1.3;
        const double cover = 1 - SmoothStep(-1, 1, std::abs(x - f.cx) - halfWidth);
        const double folds = 0.88 + 0.12 * std::sin((x - f.cx) * 0.45 + y * 0.12);
        colour = Mix(colour, f.shirt * (bodyLit * folds), cover);
    }
    if (y > f.cy + 0.5 * f.ry) {
        const double cover = 1 - SmoothStep(-1, 1, std::abs(x - f.cx) - 0.38 * f.rx);
        colour = Mix(colour, f.skin * (0.8 * bodyLit), cover * (1 - SmoothStep(shoulderTop, shoulderTop + 4, y)));
    }
    // Hair: a slightly larger ellipse behind the head and over its top.
    const double hairCover = EllipseMask(x, y, f.cx, f.cy - 0.08 * f.ry, 1.1 * f.rx, 1.08 * f.ry);
    const double strands = 0.75 + 0.5 * Fractal(x * 3, y * 0.4, f.seed + 7, 10);
    const Rgb hair = f.hair * ((0.35 + 0.65 * lit) * strands);
    colour = Mix(colour, hair, hairCover * (1 - SmoothStep(-0.52, -0.38, dy - 0.25 * dx * dx)));

    const double faceCover = EllipseMask(x, y, f.cx, f.cy, f.rx, f.ry) * SmoothStep(-0.56, -0.44, dy - 0.25 * dx * dx);
    if (faceCover <= 0) return colour;
    Rgb skin = f.skin * (lit * (0.95 + 0.1 * Fractal(x, y, f.seed, 5)));
    // Warmer cheeks.
    const double cheeks = Gaussian(std::abs(dx) - 0.45, dy - 0.22, 0.16);
    skin = skin + Rgb{14, -6, -6} * (cheeks * lit);
    // Shade beside the nose, on the side away from the light.
    const double noseSide = f.light.x >= 0 ? -1 : 1;
    skin = skin * (1 - 0.3 * Gaussian(dx - noseSide * 0.09, (dy - 0.12) * 0.4, 0.05));
    // Brows.
    for (const double side : {-1.0, 1.0}) {
        const double bx = dx - side * 0.38, by = dy + 0.32 + 0.3 * bx * bx;
        const double brow = (1 - SmoothStep(0.025, 0.05, std::abs(by))) * (1 - SmoothStep(0.15, 0.2, std::abs(bx)));
        skin = Mix(skin, f.hair * (0.3 + 0.5 * lit), brow * 0.85);
    }
    // Eyes: white, iris, pupil and a glint; a blink closes them to a lash line.
    for (const double side : {-1.0, 1.0}) {
        const double ex = dx - side * 0.38, ey = dy + 0.12;
        const double open = 0.085 * (1 - f.blink) + 0.012;
        const double eyeCover = 1 - SmoothStep(0.9, 1.1, std::sqrt((ex / 0.17) * (ex / 0.17) + (ey / open) * (ey / open)));
        if (eyeCover <= 0) continue;
        const double ix = ex - f.gaze;
        const double iris = 1 - SmoothStep(0.055, 0.07, std::sqrt(ix * ix + ey * ey));
        const double pupil = 1 - SmoothStep(0.02, 0.032, std::sqrt(ix * ix + ey * ey));
        Rgb eye = Mix(Rgb{205, 200, 195} * (0.4 + 0.6 * lit), Rgb{95, 60, 35} * (0.3 + 0.7 * lit), iris);
        eye = Mix(eye, Rgb{10, 8, 8}, pupil);
        eye = eye + Rgb{200, 200, 200} * Gaussian(ix + 0.025, ey + 0.025, 0.012);
        const Rgb lashes{25, 18, 15};
        skin = Mix(skin, f.blink > 0.5 ? lashes : eye, eyeCover);
    }
    // Lips and the line between them.
    const double lips = 1 - SmoothStep(0.9, 1.1, std::sqrt((dx / 0.27) * (dx / 0.27) + ((dy - 0.48) / 0.07) * ((dy - 0.48) / 0.07)));
    skin = Mix(skin, Rgb{165, 75, 70} * lit, lips * 0.85);
    skin = skin * (1 - 0.5 * lips * (1 - SmoothStep(0.004, 0.015, std::abs(dy - 0.48))));
    return Mix(colour, skin, faceCover);
}

// A dark room at night: moonlight through a window on the left, a lamp glowing off to the
// right, a face lit by the lamp; the head sways a little and blinks.
Rgb DarkRoom(double x, double y, int t) {
    Rgb colour{12, 13, 19};
    const double window = (1 - SmoothStep(-1.5, 1.5, std::abs(x - 45) - 27)) * (1 - SmoothStep(-1.5, 1.5, std::abs(y - 59) - 37));
    const double bars = std::max(1 - SmoothStep(1, 2.5, std::abs(x - 45)), 1 - SmoothStep(1, 2.5, std::abs(y - 59)));
    colour = Mix(colour, Rgb{55, 65, 90} * (0.8 + 0.2 * Fractal(x, y, 3, 30)), window * (1 - bars));
    colour = colour + Rgb{85, 52, 22} * Gaussian(x - 215, y - 40, 45);
    const Face face{.cx = 140 + 4 * std::sin(t * 0.25), .cy = 80 + 0.15 * t, .rx = 27, .ry = 36,
                    .skin = {200, 145, 115}, .hair = {38, 27, 20}, .shirt = {40, 42, 55},
                    .light = MakeLight(0.8, -0.35, 0.5, 0.07), .blink = (t == 15 || t == 16) ? 1.0 : 0.0,
                    .gaze = 0.02, .seed = 11};
    return DrawPerson(face, x, y, colour);
}

double FarRidge(double xWorld) { return 88 - 24 * Fractal(xWorld, 0, 51, 70); }
double NearRidge(double xWorld) { return 124 - 16 * Fractal(xWorld, 7, 61, 50); }

// A slow pan at dusk: sky and clouds, the sun low over far mountains, dark hills with trees in
// front moving faster than the mountains.
Rgb DuskPan(double x, double y, int t) {
    const double far = 1.2 * t, near = 2.6 * t;
    Rgb colour = y < 70 ? Mix(Rgb{35, 45, 100}, Rgb{200, 110, 90}, y / 70) : Mix(Rgb{200, 110, 90}, Rgb{250, 170, 90}, std::min(1.0, (y - 70) / 25));
    const double cloud = SmoothStep(0.5, 0.75, Fractal((x + 0.5 * far) * 0.6, y * 1.8, 41, 60));
    colour = Mix(colour, Rgb{125, 70, 95} * (1.3 - y / 160), cloud * 0.8);
    const double sunX = 170 - 0.3 * far, sunY = 93;
    colour = Mix(colour, Rgb{255, 235, 185}, EllipseMask(x, y, sunX, sunY, 9, 9));
    colour = colour + Rgb{110, 60, 15} * Gaussian(x - sunX, y - sunY, 26);

    const double farRidge = FarRidge(x + far);
    colour = Mix(colour, Mix(Rgb{95, 65, 95}, Rgb{55, 40, 65}, SmoothStep(farRidge, farRidge + 30, y)),
                 SmoothStep(farRidge - 0.8, farRidge + 0.8, y));
    const double xNear = x + near;
    const double nearRidge = NearRidge(xNear);
    const Rgb ground = Rgb{30, 28, 22} * (0.7 + 0.6 * Fractal(xNear, y, 71, 8));
    colour = Mix(colour, ground, SmoothStep(nearRidge - 0.8, nearRidge + 0.8, y));
    // Trees stand every 37 pixels or so along the near hills.
    const int first = int(std::floor((xNear - 60) / 37));
    for (int k = first; k <= first + 3; ++k) {
        const double trunk = 37 * k + 20 * Lattice(k, 0, 81);
        const double base = NearRidge(trunk);
        const double radius = 10 + 6 * Lattice(k, 1, 81);
        const double crownY = base - 18 - 10 * Lattice(k, 2, 81);
        const double crown = EllipseMask(xNear, y, trunk, crownY, radius, radius * 1.25);
        const double stem = (1 - SmoothStep(0.8, 1.8, std::abs(xNear - trunk))) * (y > crownY && y < base + 2 ? 1.0 : 0.0);
        const Rgb leaves = Rgb{20, 26, 17} * (0.6 + 0.8 * Fractal(xNear, y, 91 + uint32_t(k), 4));
        colour = Mix(colour, Rgb{22, 17, 14}, stem);
        colour = Mix(colour, leaves, crown);
    }
    return colour;
}

// A close-up in warm light against blurred lights, with a slow push in.
Rgb CloseUp(double x, double y, int t) {
    Rgb colour = Mix(Rgb{60, 42, 35}, Rgb{25, 18, 20}, y / 160);
    for (int k = 0; k < 12; ++k) {
        const double bx = 240 * Lattice(k, 0, 5), by = 160 * Lattice(k, 1, 5), radius = 10 + 15 * Lattice(k, 2, 5);
        const Rgb light{200 + 55 * Lattice(k, 3, 5), 140 + 60 * Lattice(k, 4, 5), 80 + 60 * Lattice(k, 5, 5)};
        colour = Mix(colour, light, 0.3 * EllipseMask(x, y, bx, by, radius, radius, 4));
    }
    const double zoom = 1 + 0.012 * t;
    const Face face{.cx = 120, .cy = 92, .rx = 78 * zoom, .ry = 98 * zoom, .skin = {225, 170, 140},
                    .hair = {70, 45, 28}, .shirt = {90, 60, 45}, .light = MakeLight(-0.6, -0.4, 0.7, 0.22),
                    .gaze = 0.03 * std::sin(t * 0.2), .seed = 23};
    return DrawPerson(face, x, y, colour);
}

// A night street: dark buildings with lit windows, two street lamps and their reflections on
// the wet road, a car whose headlights cross the picture; it fades to black at the end.
Rgb NightStreet(double x, double y, int t) {
    Rgb colour{5, 7, 12};
    // Buildings: five blocks of hashed width and height standing on the road's edge at y = 120.
    double left = 0;
    for (int k = 0; k < 6 && left < 240; ++k) {
        const double width = 35 + 30 * Lattice(k, 0, 13), top = 20 + 60 * Lattice(k, 1, 13);
        if (x >= left && x < left + width && y >= top && y < 120) {
            colour = Rgb{13, 13, 19} + Rgb{4, 4, 4} * Lattice(k, 2, 13);
            const int column = int((x - left) / 8), row = int((y - top) / 10);
            const double cx = x - left - 8 * column, cy = y - top - 10 * row;
            if (cx >= 2 && cx < 6 && cy >= 3 && cy < 8 && Lattice(column + 40 * k, row, 17) < 0.35)
                colour = Rgb{170, 130, 60} * (0.6 + 0.4 * Lattice(column, row + 40 * k, 19));
        }
        left += width;
    }
    if (y >= 120) {
        colour = Rgb{9, 9, 12};
        const double shimmer = 0.5 + 0.5 * ValueNoise(x * 0.3, y * 0.8 + t * 0.7, 93);
        for (const double lamp : {60.0, 175.0})
            colour = colour + Rgb{255, 190, 110} * (0.35 * std::exp(-(x - lamp) * (x - lamp) / 32) * shimmer * (1 - (y - 120) / 50));
    }
    for (const double lamp : {60.0, 175.0}) {
        colour = Mix(colour, Rgb{20, 20, 24}, (1 - SmoothStep(0.5, 1.5, std::abs(x - lamp))) * (y > 50 && y < 120 ? 1.0 : 0.0));
        colour = colour + Rgb{255, 190, 110} * (0.9 * Gaussian(x - lamp, y - 48, 6) + 0.25 * Gaussian(x - lamp, y - 48, 30));
    }
    const double car = -40 + 7 * t;
    colour = Mix(colour, Rgb{10, 10, 14}, (x > car - 12 && x < car + 30 && y > 113 && y < 130) ? 1.0 : 0.0);
    for (const double lamp : {car, car + 18})
        colour = colour + Rgb{255, 250, 230} * Gaussian(x - lamp, y - 125, 3) + Rgb{100, 100, 90} * Gaussian(x - lamp, y - 125, 15);
    return colour;
}

// Two people against a patterned wall above wood panelling, daylight from the left, the camera
// drifting right.
Rgb TwoPeople(double x, double y, int t) {
    const double pan = 0.7 * t;
    const double xw = x + pan;
    Rgb colour = Rgb{185, 170, 145} * (1 + 0.06 * std::sin(xw * 0.35) * std::sin(y * 0.35) + 0.1 * (Fractal(xw, y, 101, 12) - 0.5));
    if (y > 118) colour = Rgb{110, 70, 45} * (0.75 + 0.4 * ValueNoise(xw * 0.05, y * 0.9, 103));
    colour = colour * (1.15 - 0.45 * x / 240);
    const Face first{.cx = 70 - pan, .cy = 66 + 1.5 * std::sin(t * 0.3), .rx = 21, .ry = 27, .skin = {230, 185, 155},
                     .hair = {200, 160, 90}, .shirt = {55, 75, 135}, .light = MakeLight(-0.7, -0.3, 0.6, 0.35),
                     .blink = t == 20 ? 1.0 : 0.0, .gaze = 0.04, .seed = 31};
    const Face second{.cx = 168 - pan, .cy = 70, .rx = 22, .ry = 28, .skin = {140, 95, 70}, .hair = {20, 15, 12},
                      .shirt = {140, 35, 35}, .light = MakeLight(-0.7, -0.3, 0.6, 0.3),
                      .blink = t == 9 ? 1.0 : 0.0, .gaze = -0.04, .seed = 37};
    return DrawPerson(second, x, y, DrawPerson(first, x, y, colour));
}

struct Shot {
    Rgb (*draw)(double x, double y, int t);
    int frames;
    double grain;  // standard deviation of the grain, in levels
    int fadeIn = 0, fadeOut = 0;
};

constexpr std::array kShots{
    Shot{DarkRoom, 24, 3},
    Shot{DuskPan, 30, 2},
    Shot{CloseUp, 24, 2},
    Shot{NightStreet, 30, 4, 0, 6},
    Shot{TwoPeople, 36, 2, 6, 0},
};

// Grain of unit spread: the sum of three hashed values, centred.
double Grain(int x, int y, uint32_t seed) {
    return 2 * (Lattice(x, y, seed) + Lattice(x, y, seed + 1) + Lattice(x, y, seed + 2) - 1.5);
}

}  // namespace

std::vector<std::vector<uint8_t>> MakeFilmFrames(int width, int height) {
    std::vector<Frame> frames;
    uint32_t seed = 1000;
    for (const Shot& shot : kShots)
        for (int t = 0; t < shot.frames; ++t, seed += 4) {
            double fade = 1;
            if (t < shot.fadeIn) fade = double(t + 1) / (shot.fadeIn + 1);
            if (t >= shot.frames - shot.fadeOut) fade = double(shot.frames - t) / (shot.fadeOut + 1);
            Frame frame(size_t(width) * size_t(height) * 3);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const double cx = (x + 0.5) * kCanvasWidth / width, cy = (y + 0.5) * kCanvasHeight / height;
                    const double rx = cx / kCanvasWidth - 0.5, ry = cy / kCanvasHeight - 0.5;
                    const double vignette = 1 - 0.5 * (rx * rx + ry * ry);
                    const double grain = shot.grain * Grain(x, y, seed);
                    const Rgb colour = shot.draw(cx, cy, t) * (fade * vignette);
                    Put(frame, width, x, y,
                        colour + Rgb{grain + 0.3 * shot.grain * Grain(x, y, seed + 3), grain,
                                     grain - 0.3 * shot.grain * Grain(y, x, seed + 3)});
                }
            frames.push_back(std::move(frame));
        }
    return frames;
}

}  // namespace cinepak_bench
