// Pictures of every kind the loader takes, made here or the show's own: packed RGB rows, top row
// first, as the library decodes them; on Linux and on Windows alike.
#include "assets/jpeg_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/assets/test_pictures.h"
#include "tests/support/build_paths.h"

namespace {

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
    EXPECT_EQ(std::remove(file.path.c_str()), 0) << "the stream must be closed";  // on Windows, at least
    EXPECT_EQ(decoded.printed, c.truncated ? "kaikuranta: " + file.path + ": Premature end of JPEG file\n" : "");
    EXPECT_EQ(image->width, c.wantW);
    EXPECT_EQ(image->height, c.wantH);
    EXPECT_EQ(image->stride, 3 * c.wantW);
    // JPEG is lossy; a reduced picture must still be the same gradient, upright and unmirrored.
    EXPECT_LE(worstError(image->pixels, c.wantW, c.wantH, 3, c.components, c.truncated ? 16 : c.wantH), 8);
  }
}

TEST(DecodeJpegFile, PicturesUpTo2048DecodeExactlyAsTheLibraryGivesThem) {
  // The show's own pictures, and the largest that is not reduced: the same bytes as the library's
  // defaults give, so guarding against hostile files changed no picture.
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(buildDirectory() + "/data")) {
    if (entry.path().extension() == ".jpg") paths.push_back(entry.path().string());
  }
  EXPECT_EQ(paths.size(), 14u);
  TempFile large("large.jpg");
  writeJpeg(large.path, 2048, 1024, 3, true);
  paths.push_back(large.path);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const LibraryPicture expected = decodeWithLibrary(path);
    const Decoded decoded(path);
    ASSERT_NE(decoded.image, nullptr) << decoded.failure;
    ASSERT_EQ(decoded.image->width, expected.width);
    ASSERT_EQ(decoded.image->height, expected.height);
    EXPECT_EQ(std::memcmp(decoded.image->pixels, expected.pixels.data(), expected.pixels.size()), 0);
  }
}

}  // namespace
