// Pictures and sounds of the runtime asset tree, synthesised deterministically (the same bytes on every run).
#pragma once

#include <string>

namespace assetgen {

// Writes the 23 pictures under <root>/image/ (effect/, game/, title/, gameover/), creating the folders.
// Throws std::runtime_error with a message naming the file on any failure (a folder or file that cannot be
// written, or the font file missing).
void GenerateImages(const std::string& root);

// Writes the four sounds under <root>/sound/ (shot.wav, bubble.wav, dust.wav, bgm.wav), creating the folder.
// Throws std::runtime_error with a message naming the file when it cannot be written.
void GenerateSounds(const std::string& root);

} // namespace assetgen
