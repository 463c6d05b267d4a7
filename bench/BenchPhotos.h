// The bench's own photographs, written once beside it.
#pragma once

#include <string>

namespace zylora::bench {

// A photo-like 6000 x 4000 JPEG at `path`: smooth gradients with fine detail, so it has the
// size and decoding cost of a real photograph. The seed makes two photos differ.
bool WritePhoto(const std::string& path, unsigned seed);

// Median milliseconds of `runs` plain GDI+ decodes of the photo: the baseline of opening it.
double PlainDecode(const std::string& path, int runs);

}  // namespace zylora::bench
