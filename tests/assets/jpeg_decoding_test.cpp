// Pictures of every kind the loader takes, made here: packed RGB rows, top row first, as the
// library decodes them; on Linux and on Windows alike. (The show's own pictures show in every
// frame FrameIdentity compares.)
#include "assets/jpeg_loader.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/assets/test_pictures.h"

// An RGB file's pixels as the library decodes it with its defaults, rows top first.
static std::vector<uint8_t> libraryPixels(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  std::vector<uint8_t> pixels(size_t(info.output_width) * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &pixels[size_t(info.output_scanline) * info.output_width * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_destroy_decompress(&info);  // every row is read: nothing left to finish
  std::fclose(file);
  return pixels;
}

TEST(DecodeJpegFile, GivesPackedTopRowFirstRgbRowsReducedToAtMost2048OnASide) {
  struct Case { int w, h, components; bool progressive, truncated; int wantW, wantH; };
  // Baseline, progressive, greyscale (expanded to RGB), an odd width, the largest side decoded in
  // full, the first one halved, the largest side allowed (an eighth), and a file cut short, which
  // warns naming the file and keeps the rows before the cut.
  for (const Case& c : {Case{64, 48, 3, false, false, 64, 48}, Case{64, 48, 3, true, false, 64, 48},
                        Case{40, 30, 1, false, false, 40, 30}, Case{301, 200, 3, false, false, 301, 200},
                        Case{2048, 64, 3, false, false, 2048, 64}, Case{2049, 400, 1, true, false, 1025, 200},
                        Case{16384, 64, 1, false, false, 2048, 8}, Case{128, 128, 3, false, true, 128, 128}}) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.components << " " << c.progressive << c.truncated);
    TempFile file("picture.jpg");
    writeJpeg(file.path, c.w, c.h, c.components, c.progressive);
    if (c.truncated) std::filesystem::resize_file(file.path, std::filesystem::file_size(file.path) * 6 / 10);
    const Decoded decoded(file.path);
    const RgbImage* image = decoded.image;
    ASSERT_NE(image, nullptr) << decoded.failure;
    // A colour picture decoded in full (these are chroma-subsampled, as encoders write them by
    // default) is the library's own decoding, byte for byte: guarding against hostile files
    // changed no picture.
    if (c.components == 3 && c.wantW == c.w && !c.truncated) {
      EXPECT_TRUE(libraryPixels(file.path) == std::vector<uint8_t>(image->pixels, image->pixels + 3 * c.w * c.h));
    }
    EXPECT_EQ(std::remove(file.path.c_str()), 0) << "the stream must be closed";  // on Windows, at least
    EXPECT_EQ(decoded.printed, c.truncated ? "kaikuranta: " + file.path + ": Premature end of JPEG file\n" : "");
    EXPECT_EQ(std::make_tuple(image->width, image->height, image->stride),
              std::make_tuple(c.wantW, c.wantH, 3 * c.wantW));
    // JPEG is lossy; a reduced picture must still be the same gradient, upright and unmirrored.
    EXPECT_LE(worstError(image->pixels, c.wantW, c.wantH, c.components, c.truncated ? 16 : c.wantH), 8);
  }
}
