#pragma once
// The EXIF tags the program's own reader decodes, by their names in the EXIF standard.

#include <QtGlobal>

enum class TTagExif : quint16 {
    // IFD 0
    Model = 0x0110,
    Orientation = 0x0112,
    ExifIfdPointer = 0x8769,
    // The EXIF sub-IFD
    ExposureTime = 0x829A,
    FNumber = 0x829D,
    IsoSpeedRatings = 0x8827,
    DateTimeOriginal = 0x9003,
    FocalLength = 0x920A,
    MakerNote = 0x927C,
    UserComment = 0x9286,
    FocalLengthIn35mmFilm = 0xA405,
};

// The ISO entry of a Nikon maker note: two 16-bit values, the second being the ISO.
inline constexpr quint16 nTagNikonIso = 0x0002;
