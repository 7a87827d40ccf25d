// Decodes a JPEG held in memory into a Qt image.
#pragma once

#include <QImage>
#include <cstddef>

namespace halvorine {

// A null image when the bytes are not a JPEG the decoder can read.
QImage DecodeJpeg(const unsigned char* data, std::size_t size);

// The splash picture built into the program.
QImage SplashImage();

}  // namespace halvorine
