#pragma once
// Setting up the data directory (the core's ChooseDataDirectory says
// which): its parts and the pictures the window falls back to.

#include <QString>

namespace vardel::ui {

// Creates what is missing of "setup.db", "images.db" and "preview" with its
// sample picture "Portrait.bmp", "images.db/EMPTY.JPG" and "STARTUP.JPG". False when the directories cannot be made.
bool prepareDataDirectory(const QString& directory);

// True when a file can be created in the directory's "setup.db".
bool isDataDirectoryWritable(const QString& directory);

// Writes a 320 x 240 JPEG showing text (the "EMPTY.JPG" and "STARTUP.JPG"
// a preview area falls back to); false on failure.
bool writePlaceholderPicture(const QString& file, const QString& text);

// Writes the sample picture (320 x 240, 24 bits) to file; false on failure.
bool writeSamplePortrait(const QString& file);

}  // namespace vardel::ui
