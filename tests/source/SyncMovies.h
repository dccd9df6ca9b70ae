#pragma once
// Movies for checking that picture and sound stay in step: at a few irregular movie times a
// white flash and a beep begin together. Each shape carries one kind of file timing that
// real movies have; on every other picture a red marker sits in the top left corner of the
// picture as a player shows it.
#include <string>
#include <vector>

#include "tests/source/FixtureMovies.h"

enum class SyncShape {
    PlainAvi,         // 30 fps, picture and sound from 0
    VariableRateMkv,  // 10 fps for 5 s, then 30 fps
    LatePictureMp4,   // the picture begins 5 s after the sound
    DropFrameAvi,     // Cinepak at 30 fps with zero-length chunks for the frames a capture dropped
    LateSoundMkv,     // the sound begins 0.5 s after the picture
    AnamorphicMpeg,   // 720 x 576 MPEG-2 with pixels of 64:45 (a 16:9 DVD picture)
    RotatedMp4,       // a portrait picture stored sideways with a 90 degree display matrix
};

inline constexpr SyncShape kSyncShapes[] = {SyncShape::PlainAvi,    SyncShape::VariableRateMkv,
                                            SyncShape::LatePictureMp4, SyncShape::DropFrameAvi,
                                            SyncShape::LateSoundMkv, SyncShape::AnamorphicMpeg,
                                            SyncShape::RotatedMp4};

struct SyncMovie {
    const char* name = "";     // the shape's name, also the file's base name
    const char* extension = "";
    FixtureMovie movie;
    // When flashes and beeps begin, in seconds from the first picture (where a cartridge starts).
    std::vector<double> onsets;
    double seconds = 0;  // from the first picture to the end of the last one
    // The picture as a player shows it: rotated and with square pixels.
    int displayWidth = 0;
    int displayHeight = 0;
};

inline constexpr double kSyncFlashSeconds = 0.2;  // how long each flash and beep lasts
inline constexpr double kSyncBeepHz = 1000.0;

// The movie of a shape, ready for WriteFixtureMovie.
SyncMovie MakeSyncMovie(SyncShape shape);

// Writes the shape's movie into `folder` and answers its path; empty on failure, with
// `message` saying why (and `status` telling a missing encoder from other failures).
std::string WriteSyncMovie(SyncShape shape, const std::string& folder, FixtureStatus& status, std::string& message);
