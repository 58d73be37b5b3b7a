#pragma once
// The files the show reads, all below one data/ folder (data_folder.h finds which, the working
// directory's first): its fourteen pictures and its music. One list for the show, for the tool that makes them (and the build step that runs
// it), for the offline renderer's check and for the tests. Plain constants.
#include <string>

constexpr const char* DATA_FOLDER = "data";

constexpr const char* DATA_SPIRAL = "data/spiralkeltainen.jpg";
constexpr const char* DATA_FIGURE = "data/kasvot.jpg";
constexpr const char* DATA_FIGURE_MASK = "data/maski.jpg";
constexpr const char* DATA_METAL = "data/metalli.jpg";
constexpr const char* DATA_STAR = "data/star.jpg";
constexpr const char* DATA_SIDE_A = "data/mutsis.jpg";
constexpr const char* DATA_SIDE_B = "data/tarrat.jpg";
constexpr const char* DATA_SIDE_C = "data/kaiku.jpg";
constexpr const char* DATA_SIDE_D = "data/scene.jpg";
constexpr const char* DATA_SPECIAL_A = "data/vekkuli.jpg";
constexpr const char* DATA_SPECIAL_B = "data/suck.jpg";
constexpr const char* DATA_SPECIAL_C = "data/kurwa.jpg";
constexpr const char* DATA_BUBBLE = "data/kupla.jpg";
constexpr const char* DATA_BUBBLE_MASK = "data/kupla_maski.jpg";
constexpr const char* DATA_MUSIC = "data/diskolumi2.mp3";

// Every one of them, pictures in the order the show loads them, then the music.
constexpr int DATA_FILE_COUNT = 15;
constexpr const char* DATA_FILES[DATA_FILE_COUNT] = {
    DATA_SPIRAL,    DATA_FIGURE,    DATA_FIGURE_MASK, DATA_METAL,  DATA_STAR,
    DATA_SIDE_A,    DATA_SIDE_B,    DATA_SIDE_C,      DATA_SIDE_D, DATA_SPECIAL_A,
    DATA_SPECIAL_B, DATA_SPECIAL_C, DATA_BUBBLE,      DATA_BUBBLE_MASK, DATA_MUSIC};

// A data file's name within data/: "star.jpg" for "data/star.jpg".
constexpr const char* dataFileName(const char* path) {
  return path + std::char_traits<char>::length(DATA_FOLDER) + 1;
}

// Each picture also comes drawn at twice its size, under the same name in this folder of data/,
// for frames large enough to show the detail.
constexpr const char* DATA_SHARP_FOLDER = "2x";

// A picture's sharper copy: "data/2x/star.jpg" for "data/star.jpg".
inline std::string sharpCopyPath(const char* path) {
  return std::string(DATA_FOLDER) + "/" + DATA_SHARP_FOLDER + "/" + dataFileName(path);
}
