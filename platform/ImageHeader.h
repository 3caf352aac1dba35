#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

enum class ImageFormat {
    JPEG,
    PNG,
    GIF,
    BMP,
};

// What a picture file says about itself, read without decoding any pixels.
struct ImageHeader {
    ImageFormat format { ImageFormat::JPEG };
    int pixelWidth { 0 }; // As stored in the file.
    int pixelHeight { 0 };
    int orientation { 1 }; // EXIF orientation 1..8, JPEG only; anything odd reads as 1.

    // The size as displayed: orientations 5 to 8 turn the picture by a quarter.
    int orientedWidth() const { return orientation >= 5 ? pixelHeight : pixelWidth; }
    int orientedHeight() const { return orientation >= 5 ? pixelWidth : pixelHeight; }
};

// A header, or why the file holds no picture that can be drawn.
struct ImageHeaderCheck {
    std::optional<ImageHeader> header;
    std::string problem; // A phrase for a person, e.g. "not a JPEG, PNG, GIF or BMP picture"; empty with a header.
};

// The format comes from the bytes (JPEG, PNG, GIF87a/GIF89a, BMP), never from the name. Only the start
// of the file is read; a JPEG's frame header must begin within its first 4 MiB. Nothing for a missing,
// unreadable or unsupported file, nor for one beyond the decoders' size limits, since it could never
// be drawn.
std::optional<ImageHeader> readImageHeader(const std::filesystem::path& hostPath);
std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> bytes);

// The same reading, saying why there is no header: not a picture, damaged, or beyond a limit (a
// size, or the memory a progressive JPEG would need).
ImageHeaderCheck checkImageHeader(const std::filesystem::path& hostPath);
ImageHeaderCheck checkImageHeader(std::span<const std::uint8_t> bytes);
