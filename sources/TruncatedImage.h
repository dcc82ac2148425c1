// Whether a still image file was cut short, told from its own structure
// before it is decoded.
//
// The image library's JPEG decoder conceals a file that ends early: it fills
// the missing rows with grey, warns on standard error and returns a picture
// as if nothing were wrong, which would then be measured. Its PNG decoder
// refuses such a file, but only after printing its own complaint. Walking the
// file's structure up to its end marker finds both before any decoder runs.
#pragma once

#include <string>

namespace stereolint {

// True when `path` holds a PNG file (by its signature) that ends before its
// IEND chunk, or a JPEG file (starting with the bytes FF D8 FF) that ends
// before its end-of-image marker (FF D9). Segments and chunks are skipped by
// their lengths, and the compressed data of a JPEG scan is searched for the
// next marker. Anything after the end marker is ignored. False for every
// other file, for a file that cannot be opened, and for a structure too
// damaged to follow (the decoder then decides).
bool isTruncatedImage(const std::string& path);

}  // namespace stereolint
